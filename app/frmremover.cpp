#include "app/frmremover.h"

#include "app/error_report.h"
#include "removal/search_remove.h"

namespace velmora {
namespace {

constexpr const char* kAutorunPattern = "autorun.inf";
constexpr unsigned kRemovalInterval = 900;  // Timer1
constexpr unsigned kRefreshInterval = 500;  // Timer2

}  // namespace

Frmremover::Frmremover(System& system, WindowFactory& windows,
                       Registry& registry)
    : system(system),
      windows(windows),
      window(windows.Create(kFrmremoverLayout, *this)),
      Drive1(system, window->Control("Drive1"), [this] { Drive1_Change(); }),
      File1(system, window->Control("File1"), kAutorunPattern),
      List1(window->Control("List1")),
      Check1(window->Control("Check1")),
      Check2(window->Control("Check2")),
      Check3(window->Control("Check3")),
      lblfilename(window->Control("lblfilename")),
      Timer1(*window, "Timer1", kRemovalInterval),
      Timer2(*window, "Timer2", kRefreshInterval),
      frmview_(system, windows),
      autorun_switch_(system, registry, List1) {
  window->SetMenuCommands([this] { return MenuCommands(); });
}

void Frmremover::Load() {
  window->Show();
  Form_Load();
}

void Frmremover::OnEvent(std::string_view control, Event event) {
  if (control.empty()) {
    if (event == Event::Unload) Form_Unload();
    if (event == Event::DeviceArrival || event == Event::DeviceRemoval)
      OnDeviceChange(event);
    return;
  }
  if (event == Event::Timer) {
    if (control == "Timer1") auto_removal_.Timer1_Timer(system, Drive1, List1);
    if (control == "Timer2") Timer2_Timer();
    return;
  }
  if (event == Event::Change) {
    if (control == "Drive1") Drive1_Change();
    return;
  }
  if (control == "cmdremove") cmdremove_Click(system, Drive1, Check3, List1);
  if (control == "cmdrescan") frmview_.cmdrescan_Click(Drive1);
  if (control == "cmdabout") cmdabout_Click();
  if (control == "cmdclear") cmdclear_Click();
  if (control == "cmdreload") cmdreload_Click();
  if (control == "Check1") Check1_Click();
  if (control == "Check2") Check2_Click();
  if (control == "File1") File1_Click();
}

// Points the file list at the drive selected at start. Nothing is trapped
// here: a failure is the platform's error and the end of the program.
void Frmremover::Form_Load() {
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed())
    FailUnhandled(system, error);
}

void Frmremover::Form_Unload() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  frmview_.Unload();
  system.End();
}

void Frmremover::cmdabout_Click() {
  system.MsgBox("Kestrin - Velmora - A autorun remover made by Kestrin",
                kOkOnly, "Kestrin - Velmora");
  system.MsgBox("If the Error Says '0' then the file is existing", kOkOnly, "");
}

void Frmremover::cmdclear_Click() { List1.Clear(); }

void Frmremover::cmdreload_Click() { Drive1.Refresh(); }

void Frmremover::Check1_Click() { Timer2.SetEnabled(Check1.Value() == 1); }

// Switching the automatic removal off and on again forgets which failed
// deletions were already logged.
void Frmremover::Check2_Click() {
  auto_removal_.Reset();
  Timer1.SetEnabled(Check2.Value() == 1);
}

// A refresh cannot fail in a way worth reporting; it only re-reads drives.
void Frmremover::Timer2_Timer() { Drive1.Refresh(); }

void Frmremover::Drive1_Change() {
  File1.SetPattern(kAutorunPattern);
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed())
    ShowErrorReport(system, error);
}

void Frmremover::File1_Click() {
  File1.SetPattern(kAutorunPattern);
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed()) {
    ShowErrorReport(system, error);
    return;
  }
  lblfilename.Set(File1.FileName());
}

// A medium that arrives is cleaned at once rather than at the next tick;
// the timers stay as they are for media that become ready silently.
void Frmremover::OnDeviceChange(Event event) {
  if (Check1.Value() == 1) Drive1.Refresh();
  if (event == Event::DeviceArrival && Check2.Value() == 1)
    auto_removal_.Timer1_Timer(system, Drive1, List1);
}

}  // namespace velmora
