#include "app/signin_switch.h"

#include <algorithm>

#include "app/error_report.h"
#include "app/org_policy.h"

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
    case DriveKind::Subst:
      refusal_ = kSigninFromSubstText;
      break;
    case DriveKind::RamDisk:
      refusal_ = kSigninFromRamDiskText;
      break;
    case DriveKind::Unknown:
      refusal_ = kSigninDriveUnknownText;
      break;
    case DriveKind::Fixed:
      if (Utf16Length(*command_) > kMaxSigninCommandChars)
        refusal_ = kSigninTooLongText;
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
  if (guard_policy_) return SetByOrganization(kSigninText, *guard_policy_);
  if (StartsForEveryUser()) return {kSigninForEveryUserText, true, true, [] {}};
  const std::string& refusal = Refusal();
  const bool checked = Read().starts_here;
  if (!refusal.empty()) return {refusal, checked, true, [] {}};
  return {kSigninText, checked, false, [this] { Toggle(); }};
}

void SigninSwitch::Toggle() {
  if (guard_policy_ || StartsForEveryUser() || !Refusal().empty()) return;
  const Reading now = Read();
  if (now.starts_here)
    TurnOff(now);
  else
    TurnOn(now);
}

// Windows compares paths without regard to case, and an installer writes
// the folder as the system names it, which need not be as the program was
// started.
bool SigninSwitch::StartsForEveryUser() {
  Refusal();  // works out command_ the first time
  Error error;
  const std::optional<std::string> machine = registry_.ReadString(
      Hive::LocalMachine, kRunKey, kSigninValue, kMaxRunChars, error);
  return machine &&
         std::equal(machine->begin(), machine->end(), command_->begin(),
                    command_->end(), [](unsigned char a, unsigned char b) {
                      return (a >= 'a' && a <= 'z' ? a - 32 : a) ==
                             (b >= 'a' && b <= 'z' ? b - 32 : b);
                    });
}

void SigninSwitch::FollowGuardPolicy() {
  if (!guard_policy_) return;
  if (*guard_policy_) {
    if (!Refusal().empty() || StartsForEveryUser()) return;
    const Reading now = Read();
    if (!now.starts_here) TurnOn(now);
    return;
  }
  Refusal();  // works out command_, which Read compares with
  const Reading now = Read();
  std::vector<Change> changes;
  if (now.run || now.run_failed) changes.push_back({kRunKey, std::nullopt});
  if (now.approval || now.approval_failed)
    changes.push_back({kStartupApprovedKey, std::nullopt});
  if (changes.empty() || !Apply(changes)) return;
  for (const Change& change : changes)
    log_.AddItem(SigninRemovedLine(change.key));
}

void SigninSwitch::TurnOn(const Reading& now) {
  std::vector<Change> changes;
  if (now.run != *command_) changes.push_back({kRunKey, *command_});
  if (!StartupAllowed(now.approval, now.approval_failed))
    changes.push_back({kStartupApprovedKey, std::nullopt});
  if (!Apply(changes)) return;
  for (const Change& change : changes)
    log_.AddItem(change.command ? SigninWrittenLine(*change.command)
                                : SigninRemovedLine(change.key));
  if (events_) events_->SigninSwitched(true);
}

// An enabling StartupApproved value (02) goes too, so that nothing of the
// sign-in entry is left behind.
void SigninSwitch::TurnOff(const Reading& now) {
  std::vector<Change> changes = {{kRunKey, std::nullopt}};
  if (now.approval) changes.push_back({kStartupApprovedKey, std::nullopt});
  if (!Apply(changes)) return;
  for (const Change& change : changes)
    log_.AddItem(SigninRemovedLine(change.key));
  if (events_) events_->SigninSwitched(false);
}

bool SigninSwitch::Apply(const std::vector<Change>& changes) {
  struct Step {
    const Change* change;
    std::optional<RawValue> before;
    Error unreadable;
  };
  std::vector<Step> steps;
  for (const Change& change : changes) {
    Step& step = steps.emplace_back(Step{&change, {}, {}});
    step.before = registry_.ReadRaw(change.key, kSigninValue, kMaxKeptBytes,
                                    step.unreadable);
  }
  // What cannot be put back goes last; two such, and nothing is changed.
  std::stable_partition(steps.begin(), steps.end(), [](const Step& step) {
    return !step.unreadable.failed();
  });
  if (steps.size() > 1 && steps[steps.size() - 2].unreadable.failed()) {
    ShowErrorReport(system_, steps.back().unreadable);
    return false;
  }
  for (std::size_t done = 0; done < steps.size(); ++done) {
    const Change& change = *steps[done].change;
    const Error error =
        change.command
            ? registry_.WriteString(change.key, kSigninValue, *change.command)
            : registry_.DeleteValue(change.key, kSigninValue);
    if (!error.failed()) continue;
    while (done-- > 0) {
      const Step& undo = steps[done];
      if (undo.before)
        registry_.WriteRaw(undo.change->key, kSigninValue, *undo.before);
      else
        registry_.DeleteValue(undo.change->key, kSigninValue);
    }
    ShowErrorReport(system_, error);
    return false;
  }
  return true;
}

}  // namespace velmora
