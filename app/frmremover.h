// The main window. It owns every control the handlers read and write, and
// routes each window event to its handler. All of the program's state lives
// in these controls.
#pragma once

#include <memory>

#include "app/autorun_switch.h"
#include "app/drive_repair.h"
#include "app/signin_switch.h"
#include "platform/controls.h"
#include "platform/file_tree.h"
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
  // the window's menus switch.
  Frmremover(System& system, WindowFactory& windows, Registry& registry,
             FileTree& files);

  // Shows the window and runs its Load handler.
  void Load();

  // What tests read of the state the controls keep beyond their widgets.
  struct State {
    const DriveList& Drive1;
    const FileList& File1;
    Window& window;
  };
  State ForTest() const { return {Drive1, File1, *window}; }

 private:
  void Form_Load();
  void Form_Unload();
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

  System& system;
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

  AutoRemoval auto_removal_;
  Frmview frmview_;
  AutorunSwitch autorun_switch_;
  DriveRepair drive_repair_;
  SigninSwitch signin_switch_;
};

}  // namespace velmora
