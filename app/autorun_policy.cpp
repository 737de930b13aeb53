#include "app/autorun_policy.h"

namespace velmora {
namespace {

bool AllOff(const AutorunValues& values) {
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i) {
    if (values[i] != kPolicyValues[i].off) return false;
  }
  return true;
}

}  // namespace

AutorunValues ReadAutorunValues(Registry& registry, Hive hive, const char* key,
                                Error& error) {
  AutorunValues values;
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i) {
    Error failed;
    values[i] = registry.ReadDword(hive, key, kPolicyValues[i].name, failed);
    if (failed.failed() && !error.failed()) error = failed;
  }
  return values;
}

AutorunState DecideAutorun(const AutorunValues& machine,
                           const AutorunValues& account,
                           bool saved_by_velmora) {
  if (AllOff(machine)) return AutorunState::OffByAdministrator;
  AutorunValues in_effect;
  for (std::size_t i = 0; i < kPolicyValues.size(); ++i) {
    if (machine[i] && machine[i] != kPolicyValues[i].off)
      return AutorunState::OnByAdministrator;
    in_effect[i] = machine[i] ? machine[i] : account[i];
  }
  if (!AllOff(in_effect)) return AutorunState::On;
  return saved_by_velmora ? AutorunState::Off : AutorunState::OffOutsideVelmora;
}

}  // namespace velmora
