#include "app/autorun_switch.h"

#include "app/error_report.h"

namespace velmora {

AutorunSwitch::Reading AutorunSwitch::Read(Error& error) {
  Reading now;
  now.machine =
      ReadAutorunValues(registry_, Hive::LocalMachine, kPoliciesKey, error);
  now.account =
      ReadAutorunValues(registry_, Hive::CurrentUser, kPoliciesKey, error);
  Error failed;
  now.saved_by_velmora = registry_.ReadDword(Hive::CurrentUser, kVelmoraKey,
                                             kSavedMark, failed) == 1u;
  if (failed.failed() && !error.failed()) error = failed;
  if (now.saved_by_velmora)
    now.saved =
        ReadAutorunValues(registry_, Hive::CurrentUser, kVelmoraKey, error);
  now.state = DecideAutorun(now.machine, now.account, now.saved_by_velmora);
  return now;
}

// A value that cannot be read shows as absent here; choosing the item reads
// again and reports it.
MenuCommand AutorunSwitch::Command() {
  Error ignored;
  MenuCommand item{kTurnOffAutorunText, false, false, [this] { Toggle(); }};
  switch (Read(ignored).state) {
    case AutorunState::On:
      break;
    case AutorunState::Off:
      item.checked = true;
      break;
    case AutorunState::OffOutsideVelmora:
      item = {kAutorunOffOutsideText, true, true, item.onChoose};
      break;
    case AutorunState::OffByAdministrator:
      item = {kAutorunOffByAdministratorText, true, true, item.onChoose};
      break;
    case AutorunState::OnByAdministrator:
      item = {kAutorunOnByAdministratorText, false, true, item.onChoose};
      break;
  }
  return item;
}

void AutorunSwitch::Toggle() {
  Error error;
  const Reading now = Read(error);
  if (error.failed()) {
    ShowErrorReport(system_, error);
    return;
  }
  if (now.state == AutorunState::On) TurnOff(now);
  if (now.state == AutorunState::Off) TurnBackOn(now);
}

// A copy saved earlier stays: it holds what the account had before Velmora
// first changed anything, even where the values were changed since.
void AutorunSwitch::TurnOff(const Reading& now) {
  if (!now.saved_by_velmora) {
    if (Error error = Save(now.account); error.failed()) {
      ForgetSaved();
      ShowErrorReport(system_, error);
      return;
    }
  }
  AutorunValues off;
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i)
    off[i] = kPolicyValues[i].off;
  if (Error error = Apply(off, now.account); error.failed()) {
    if (!now.saved_by_velmora) ForgetSaved();
    ShowErrorReport(system_, error);
    return;
  }
  log_.AddItem(kAutorunTurnedOffLine);
  if (events_) events_->AutorunSwitched(true);
}

void AutorunSwitch::TurnBackOn(const Reading& now) {
  if (Error error = Apply(now.saved, now.account); error.failed()) {
    ShowErrorReport(system_, error);
    return;
  }
  log_.AddItem(kAutorunTurnedOnLine);
  if (events_) events_->AutorunSwitched(false);
  if (Error error = ForgetSaved(); error.failed())
    ShowErrorReport(system_, error);
}

Error AutorunSwitch::Save(const AutorunValues& values) {
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i) {
    if (Error error = Put(kVelmoraKey, kPolicyValues[i].name, values[i]);
        error.failed())
      return error;
  }
  return registry_.WriteDword(kVelmoraKey, kSavedMark, 1);
}

// The mark goes first: a copy without its mark is never taken for complete.
Error AutorunSwitch::ForgetSaved() {
  if (Error error = registry_.DeleteValue(kVelmoraKey, kSavedMark);
      error.failed())
    return error;
  for (const PolicyValue& value : kPolicyValues) {
    if (Error error = registry_.DeleteValue(kVelmoraKey, value.name);
        error.failed())
      return error;
  }
  return registry_.DeleteKeyIfEmpty(kVelmoraKey);
}

Error AutorunSwitch::Apply(const AutorunValues& target,
                           const AutorunValues& before) {
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i) {
    Error error = Put(kPoliciesKey, kPolicyValues[i].name, target[i]);
    if (!error.failed()) continue;
    for (std::size_t j = i + 1; j-- > 0;)
      Put(kPoliciesKey, kPolicyValues[j].name, before[j]);
    return error;
  }
  return {};
}

Error AutorunSwitch::Put(const char* key, const char* name,
                         std::optional<std::uint32_t> value) {
  return value ? registry_.WriteDword(key, name, *value)
               : registry_.DeleteValue(key, name);
}

}  // namespace velmora
