#include "app/frmremover.h"

#include "app/error_report.h"
#include "removal/autorun_path.h"
#include "removal/search_remove.h"

namespace velmora {

Frmremover::Frmremover(System& system, WindowFactory& windows,
                       Registry& registry, FileTree& files,
                       NotifyIconFactory* icons, EventLog* event_log)
    : system(system),
      registry_(registry),
      window(windows.Create(
          kFrmremoverLayout,
          {.onUnload = [this] { Form_Unload(); },
           .onDeviceArrival = [this](DriveLetters d) { OnDeviceArrival(d); },
           .onDeviceRemoval = [this](DriveLetters d) { OnDeviceRemoval(d); },
           .onCloseRequest = [this] { return Form_QueryClose(); },
           .onEndSession = [this] { Form_Unload(); },
           // A later start asks for the window, which may be hidden.
           .onShowRequest = [this] { window->Show(); },
           .onPolicyChange = [this] { ReadPolicy(false); }})),
      Drive1(system, window->Control("Drive1"), [this] { Drive1_Change(); }),
      File1(system, window->Control("File1"), kAutorunFileName,
            [this] { File1_Click(); }),
      List1(window->Control("List1")),
      Check1(window->Control("Check1"), [this] { Check1_Click(); }),
      Check2(window->Control("Check2"), [this] { Check2_Click(); }),
      // Notify When Removing is only read by the search; its click does
      // nothing by itself.
      Check3(window->Control("Check3"), [] {}),
      lblfilename(window->Control("lblfilename")),
      Timer1(window->Control("Timer1"), [this] { Timer1_Timer(); }),
      Timer2(window->Control("Timer2"), [this] { Timer2_Timer(); }),
      cmdremove(window->Control("cmdremove"),
                [this] {
                  cmdremove_Click(this->system, Drive1, Check3, List1,
                                  Rules(RemovalCause::Search));
                }),
      cmdrescan(window->Control("cmdrescan"),
                [this] { frmview_.cmdrescan_Click(Drive1); }),
      cmdabout(window->Control("cmdabout"), [this] { cmdabout_Click(); }),
      cmdclear(window->Control("cmdclear"), [this] { cmdclear_Click(); }),
      cmdreload(window->Control("cmdreload"), [this] { cmdreload_Click(); }),
      icons_(icons),
      frmview_(system, windows),
      autorun_switch_(system, registry, List1),
      drive_repair_(system, files, List1, files.WindowsDrive()),
      windows_drive_(files.WindowsDrive()),
      arrival_watch_(
          files,
          [&system](std::string_view ansi) { return system.AnsiToUtf8(ansi); }),
      signin_switch_(system, registry, List1),
      // Whether events are written, and how Auto Remove treats what it
      // finds, follow the policy each time it is read (ReadPolicy).
      event_record_(system, event_log, false) {
  window->SetMenuCommands([this] { return MenuCommands(); });
  drive_repair_.SetEvents(&event_record_);
  autorun_switch_.SetEvents(&event_record_);
  signin_switch_.SetEvents(&event_record_);
}

RemovalRules Frmremover::Rules(RemovalCause cause) {
  return {cause,
          org_policy_.Requires(OrgValue::AuditOnly) ? RemovalMode::LeaveByPolicy
                                                    : RemovalMode::Delete,
          &event_record_};
}

// The drive list is shown first with its letters alone; its labels are read
// once the window is on screen, as a step after the first paint, so that a
// slow drive never holds up the window's first appearance.
void Frmremover::Load() {
  ReadPolicy(true);
  LoadWindow();
}

void Frmremover::LoadWindow() {
  window->Show();
  Form_Load();
  window->RunSteps([this] {
    Drive1.Refresh();
    return false;
  });
  if (org_policy_.Requires(OrgValue::Guard)) StartGuarding();
}

// Points the file list at the drive selected at start. Nothing is trapped
// here: a failure is the platform's error and the end of the program.
void Frmremover::Form_Load() {
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed())
    FailUnhandled(system, error);
}

void Frmremover::Form_Unload() {
  drive_repair_.Stop();  // between two files
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  frmview_.Unload();
  window->RunLater({}, nullptr);  // no icon comes back after this
  if (icon_) icon_->Remove();
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
  UpdateTooltip();
}

// Looks at arrived drives that answered too late for their arrival are
// reported with the next tick.
void Frmremover::Timer1_Timer() {
  const RemovalRound round = auto_removal_.Timer1_Timer(system, Drive1, List1);
  const std::vector<ArrivalLook> late = arrival_watch_.TakeLate();
  LogLooks(late);
  Notify(round, late, false);
}

// A refresh cannot fail in a way worth reporting; it only re-reads drives.
void Frmremover::Timer2_Timer() { Drive1.Refresh(DriveRead::Recent); }

void Frmremover::Drive1_Change() {
  File1.SetPattern(kAutorunFileName);
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed())
    ShowErrorReport(system, error);
}

void Frmremover::File1_Click() {
  File1.SetPattern(kAutorunFileName);
  if (Error error = File1.SetPath(Drive1.Drive()); error.failed()) {
    ShowErrorReport(system, error);
    return;
  }
  lblfilename.Set(File1.FileName());
}

// A medium that arrives is cleaned at once rather than at the next tick,
// and its root looked at for a shortcut worm; the timers stay as they are
// for media that become ready silently.
void Frmremover::OnDeviceArrival(DriveLetters arrived) {
  if (Check1.Value() == 1) Drive1.Refresh();
  if (Check2.Value() != 1) return;
  arrival_watch_.Start(arrived, windows_drive_);
  const RemovalRound round =
      auto_removal_.RemoveFromArrived(system, List1, arrived);
  const std::vector<ArrivalLook> looks = arrival_watch_.Collect();
  LogLooks(looks);
  Notify(round, looks, true);
}

void Frmremover::OnDeviceRemoval(DriveLetters) {
  if (Check1.Value() == 1) Drive1.Refresh();
}

}  // namespace velmora
