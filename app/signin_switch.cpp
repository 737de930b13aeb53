#include "app/signin_switch.h"

#include "app/error_report.h"

namespace velmora {

std::string SigninCommand(const std::string& program) {
  return "\"" + program + "\" /guard";
}

std::string SigninWrittenLine(const std::string& command) {
  return std::string("Start at sign-in written: HKCU\\") + kRunKey + "\\" +
         kSigninValue + " = " + command;
}

std::string SigninRemovedLine(const char* key) {
  return std::string("Start at sign-in removed: HKCU\\") + key + "\\" +
         kSigninValue;
}

bool StartupAllowed(const std::optional<std::string>& approval, bool failed) {
  if (failed) return false;
  if (!approval) return true;
  return !approval->empty() &&
         (static_cast<unsigned char>((*approval)[0]) & 1u) == 0;
}

const std::string& SigninSwitch::Refusal() {
  if (command_) return refusal_;
  const std::string program = system_.ProgramPath();
  command_ = SigninCommand(program);
  if (program.empty()) {
    refusal_ = kSigninPlaceUnknownText;
    return refusal_;
  }
  switch (system_.KindOfDrive(program)) {
    case DriveKind::Removable:
      refusal_ = kSigninFromRemovableText;
      break;
    case DriveKind::Network:
      refusal_ = kSigninFromNetworkText;
      break;
    case DriveKind::CdRom:
      refusal_ = kSigninFromCdText;
      break;
    default:
      break;
  }
  return refusal_;
}

SigninSwitch::Reading SigninSwitch::Read() {
  Reading now;
  Error error;
  now.run = registry_.ReadString(Hive::CurrentUser, kRunKey, kSigninValue,
                                 kMaxRunChars, error);
  now.run_failed = error.failed();
  now.approval = registry_.ReadBinary(Hive::CurrentUser, kStartupApprovedKey,
                                      kSigninValue, kMaxApprovalBytes, error);
  now.approval_failed = error.failed();
  now.starts_here =
      now.run == *command_ && StartupAllowed(now.approval, now.approval_failed);
  return now;
}

MenuCommand SigninSwitch::Command() {
  const std::string& refusal = Refusal();
  const bool checked = Read().starts_here;
  if (!refusal.empty()) return {refusal, checked, true, [] {}};
  return {kSigninText, checked, false, [this] { Toggle(); }};
}

void SigninSwitch::Toggle() {
  if (!Refusal().empty()) return;
  const Reading now = Read();
  if (now.starts_here)
    TurnOff(now);
  else
    TurnOn(now);
}

void SigninSwitch::TurnOn(const Reading& now) {
  const bool write = now.run != *command_;
  if (write) {
    if (Error error = registry_.WriteString(kRunKey, kSigninValue, *command_);
        error.failed()) {
      ShowErrorReport(system_, error);
      return;
    }
  }
  const bool remove = !StartupAllowed(now.approval, now.approval_failed);
  if (remove) {
    if (Error error = registry_.DeleteValue(kStartupApprovedKey, kSigninValue);
        error.failed()) {
      if (write) RestoreRun(now);
      ShowErrorReport(system_, error);
      return;
    }
  }
  if (write) log_.AddItem(SigninWrittenLine(*command_));
  if (remove) log_.AddItem(SigninRemovedLine(kStartupApprovedKey));
}

// An enabling StartupApproved value (02) goes too, so that nothing of the
// sign-in entry is left behind.
void SigninSwitch::TurnOff(const Reading& now) {
  if (Error error = registry_.DeleteValue(kRunKey, kSigninValue);
      error.failed()) {
    ShowErrorReport(system_, error);
    return;
  }
  const bool remove = now.approval.has_value();
  if (remove) {
    if (Error error = registry_.DeleteValue(kStartupApprovedKey, kSigninValue);
        error.failed()) {
      RestoreRun(now);
      ShowErrorReport(system_, error);
      return;
    }
  }
  log_.AddItem(SigninRemovedLine(kRunKey));
  if (remove) log_.AddItem(SigninRemovedLine(kStartupApprovedKey));
}

void SigninSwitch::RestoreRun(const Reading& now) {
  if (now.run)
    registry_.WriteString(kRunKey, kSigninValue, *now.run);
  else if (!now.run_failed)
    registry_.DeleteValue(kRunKey, kSigninValue);
}

}  // namespace velmora
