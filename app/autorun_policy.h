// Windows' own switch for AutoRun: the two policy values under
// Software\Microsoft\Windows\CurrentVersion\Policies\Explorer, in the
// machine's hive (set by the computer's administrator) and in the account's.
//
// AutoRun is off for all drives when NoDriveTypeAutoRun is 0xFF (no drive
// type starts anything) and NoAutorun is 1 (no autorun.inf is acted on).
// Each value is taken from the machine's hive where it is present there,
// else from the account's: the machine's setting wins, so the account can
// only decide a value the machine leaves unset.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/registry.h"

namespace velmora {

inline constexpr const char* kPoliciesKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// The two values, in the order they are read and written.
struct PolicyValue {
  const char* name;
  std::uint32_t off;  // the value that turns AutoRun off
};
inline constexpr std::array<PolicyValue, 2> kPolicyValues = {{
    {"NoDriveTypeAutoRun", 0xFF},
    {"NoAutorun", 1},
}};

// One hive's (or one saved copy's) two values, nullopt where absent.
using AutorunValues = std::array<std::optional<std::uint32_t>, 2>;

// The two values named as in kPolicyValues, read from `key` in `hive`. The
// first failure is kept in `error`; its value counts as absent.
AutorunValues ReadAutorunValues(Registry& registry, Hive hive, const char* key,
                                Error& error);

enum class AutorunState {
  On,                  // AutoRun runs; this account can turn it off
  Off,                 // Velmora turned it off for this account
  OffOutsideVelmora,   // this account's values turn it off, not Velmora's
  OffByAdministrator,  // the machine's values alone turn it off
  OnByAdministrator,   // a value of the machine's keeps it on
};

// What the values of both hives add up to. `saved_by_velmora` says that
// Velmora holds the values it replaced, so that it can put them back.
AutorunState DecideAutorun(const AutorunValues& machine,
                           const AutorunValues& account, bool saved_by_velmora);

}  // namespace velmora
