// What the organization sets for Velmora through Group Policy: DWORD values
// under Software\Policies\Velmora, in the machine's hive (HKLM, the 64-bit
// view) and in the account's (HKCU). A value set for the machine wins over
// the account's; a value absent from both leaves the choice to the user.
//
// A value of another type, or a number the value does not take, counts as
// not set, and the reading says so with a line that names it. The values
// are kOrgPolicyValues: the templates in policy/ set exactly these.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velmora {

inline constexpr const char* kOrgPolicyKey = "Software\\Policies\\Velmora";

// The values, in the order they are read and named. Each takes 0 or 1.
enum class OrgValue {
  AutoRemove,          // Auto Remove w/o Notification forced on (1) or off
  Guard,               // every user guards from sign-in (1), or nobody (0)
  NotifyWhenRemoving,  // Notify When Removing forced on (1) or off
  Repair,              // 0: Repair Hidden Files unavailable
  AutoRunSwitch,       // 0: Turn Off AutoRun for All Drives unavailable
  AuditOnly,           // 1: nothing is deleted or changed, only reported
  EventLog,            // 1: events are written even where no installer
                       // registered the event source
};
inline constexpr std::array<const char*, 7> kOrgValueNames = {
    "AutoRemove", "Guard",   "NotifyWhenRemoving", "Repair", "AutoRunSwitch",
    "AuditOnly",  "EventLog"};

// Every value as the two hives add up: nullopt where neither sets it (or
// sets it badly).
class OrgPolicy {
 public:
  std::optional<bool> Get(OrgValue value) const {
    return values_[static_cast<std::size_t>(value)];
  }
  void Set(OrgValue value, std::optional<bool> on) {
    values_[static_cast<std::size_t>(value)] = on;
  }
  // Whether a feature the policy can take away is there: only a 0 removes
  // it.
  bool Allows(OrgValue value) const { return Get(value).value_or(true); }
  // Whether a policy switch is on: only a 1 turns it on.
  bool Requires(OrgValue value) const { return Get(value).value_or(false); }
  // The names of the values that are set, as "AutoRemove=1", in order.
  std::vector<std::string> SetValues() const;
  bool operator==(const OrgPolicy&) const = default;

 private:
  std::array<std::optional<bool>, kOrgValueNames.size()> values_{};
};

struct OrgPolicyReading {
  OrgPolicy policy;
  // One line per value that counts as not set although it is there (of
  // another type, out of range, unreadable), naming it.
  std::vector<std::string> problems;
};

// Reads every value from both hives.
OrgPolicyReading ReadOrgPolicy(Registry& registry);

// The log line that says what policy sets ("" where it sets nothing), and
// the line of a policy change that leaves nothing set.
std::string OrgPolicyLine(const OrgPolicy& policy);
inline constexpr const char* kOrgPolicyNoneLine =
    "Set by your organization: nothing";

// A menu item the organization decides: `text` with kSetByOrganization
// after it, checked as given, greyed, choosing it doing nothing.
inline constexpr const char* kSetByOrganization = " (set by your organization)";
MenuCommand SetByOrganization(const std::string& text, bool checked);

}  // namespace velmora
