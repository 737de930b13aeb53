// The main window. It owns every control the handlers read and write, and
// routes each window event to its handler. All of the program's state lives
// in these controls.
#pragma once

#include <memory>

#include "app/autorun_switch.h"
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "removal/auto_removal.h"
#include "viewer/frmview.h"

namespace velmora {

extern const FormLayout kFrmremoverLayout;

inline constexpr const char* kAppTitle = "Velmora";

class Frmremover : public EventSink {
 public:
  // `registry` holds the AutoRun policy values that the window's menus
  // switch.
  Frmremover(System& system, WindowFactory& windows, Registry& registry);

  // Shows the window and runs its Load handler.
  void Load();
  void OnEvent(std::string_view control, Event event) override;

  System& system;
  WindowFactory& windows;
  std::unique_ptr<Window> window;
  DriveList Drive1;
  FileList File1;
  ListBox List1;
  CheckBox Check1, Check2, Check3;
  Label lblfilename;
  Timer Timer1, Timer2;

 private:
  void Form_Load();
  void Form_Unload();
  // Small commands and options.
  void cmdabout_Click();
  void cmdclear_Click();
  void cmdreload_Click();
  void Check1_Click();
  void Check2_Click();
  void Timer2_Timer();
  // File panel.
  void Drive1_Change();
  void File1_Click();
  // Volume arrival and removal while the options run.
  void OnDeviceChange(Event event);

  // The items of the drive list's context menu and the system menu.
  std::vector<MenuCommand> MenuCommands();

  AutoRemoval auto_removal_;
  Frmview frmview_;
  AutorunSwitch autorun_switch_;
};

}  // namespace velmora
