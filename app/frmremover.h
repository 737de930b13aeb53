// The main window. It owns every control the handlers read and write, and
// routes each window event to its handler. All of the program's state lives
// in these controls.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "app/arrival_watch.h"
#include "app/autorun_switch.h"
#include "app/drive_repair.h"
#include "app/event_record.h"
#include "app/org_policy.h"
#include "app/signin_switch.h"
#include "platform/controls.h"
#include "platform/event_log.h"
#include "platform/file_tree.h"
#include "platform/notify_icon.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "removal/auto_removal.h"
#include "viewer/frmview.h"

namespace velmora {

extern const FormLayout kFrmremoverLayout;

inline constexpr const char* kAppTitle = "Velmora";

class Frmremover {
 public:
  // `registry` holds the AutoRun policy values and the sign-in entry that
  // the window's menus switch. `icons` makes the icon of guard mode; without
  // it (a system without a notification area) there is no guard mode.
  // `event_log` receives the events (where they are wanted); without it
  // none are written.
  Frmremover(System& system, WindowFactory& windows, Registry& registry,
             FileTree& files, NotifyIconFactory* icons = nullptr,
             EventLog* event_log = nullptr);

  // Reads the organization's policy, shows the window and runs its Load
  // handler; where policy has every user guard, guards too, the window
  // staying on screen.
  void Load();
  // Reads the policy, runs the Load handler and guards from the
  // notification area, the window hidden (a start with /guard). Where
  // policy forbids guarding, it is Load instead.
  void LoadGuarding();
  // Guarding from the notification area: its icon is there.
  bool Guarding() const;
  // A line of the platform's for the log (what the start could not do).
  void AddLogLine(const std::string& line) { List1.AddItem(line); }

  // What tests read of the state the controls keep beyond their widgets.
  struct State {
    const DriveList& Drive1;
    const FileList& File1;
    Window& window;
  };
  State ForTest() const { return {Drive1, File1, *window}; }

 private:
  void LoadWindow();
  void Form_Load();
  void Form_Unload();
  // Organization policy (frmremover_policy.cpp): read at start and again
  // when Windows announces a change; it forces the option boxes and the
  // menu items it names.
  void ReadPolicy(bool at_start);
  void ForceBox(CheckBox& box, OrgValue value, void (Frmremover::*click)());
  void FollowGuardPolicy();
  // The menu items policy can take away or decide, given as they would
  // show without it.
  MenuCommand PolicyItem(MenuCommand item, OrgValue value) const;
  bool ChangesAllowed(OrgValue value) const;
  // Small commands and options.
  void cmdabout_Click();
  void cmdclear_Click();
  void cmdreload_Click();
  void Check1_Click();
  void Check2_Click();
  void Timer1_Timer();
  void Timer2_Timer();
  // File panel.
  void Drive1_Change();
  void File1_Click();
  // Volume arrival and removal while the options run.
  void OnDeviceArrival(DriveLetters arrived);
  void OnDeviceRemoval(DriveLetters gone);
  // Guard mode: the window hidden, Auto Remove on, the icon in the
  // notification area (frmremover_guard.cpp).
  void Guard();
  // Auto Remove on (unless policy keeps it off) and the icon added; false
  // where there is no icon.
  bool StartGuarding();
  void RetryIconAfter(std::chrono::milliseconds delay);
  std::string Tooltip() const;
  bool Form_QueryClose();
  void UpdateTooltip();
  void OpenIconMenu();
  void LogLooks(const std::vector<ArrivalLook>& looks);
  void Notify(const RemovalRound& round, const std::vector<ArrivalLook>& looks,
              bool arrival);
  void OnBalloonClick();

  System& system;
  Registry& registry_;
  // What the organization sets, as read last, and the problems of that
  // reading.
  OrgPolicy org_policy_;
  std::vector<std::string> policy_problems_;
  std::unique_ptr<Window> window;
  // The controls, bound to their handlers as they are made.
  DriveList Drive1;
  FileList File1;
  ListBox List1;
  CheckBox Check1, Check2, Check3;
  Label lblfilename;
  Timer Timer1, Timer2;
  Button cmdremove, cmdrescan, cmdabout, cmdclear, cmdreload;

  // The items of the drive list's context menu and the system menu.
  std::vector<MenuCommand> MenuCommands();
  // How the removal paths treat what they find, as the policy says.
  RemovalRules Rules(RemovalCause cause);

  NotifyIconFactory* icons_;
  std::unique_ptr<NotifyIcon> icon_;  // while guarding
  std::string notice_worm_drive_;     // of the notification shown last
  AutoRemoval auto_removal_;
  Frmview frmview_;
  AutorunSwitch autorun_switch_;
  DriveRepair drive_repair_;
  const std::string windows_drive_;
  ArrivalWatch arrival_watch_;
  SigninSwitch signin_switch_;
  EventRecord event_record_;
};

}  // namespace velmora
