#include "app/org_policy.h"

namespace velmora {

namespace {

const char* HiveName(Hive hive) {
  return hive == Hive::LocalMachine ? "HKLM" : "HKCU";
}

// One hive's value: nullopt where absent or unusable, with a problem line
// where it is there but unusable.
std::optional<bool> ReadOne(Registry& registry, Hive hive, const char* name,
                            std::vector<std::string>& problems) {
  Error error;
  const std::optional<std::uint32_t> value =
      registry.ReadDword(hive, kOrgPolicyKey, name, error);
  const std::string where =
      std::string(HiveName(hive)) + "\\" + kOrgPolicyKey + "\\" + name;
  if (error.failed()) {
    problems.push_back(
        "Policy value ignored: " + where + " (" +
        (error.description.empty() ? "not a DWORD" : error.description) + ")");
    return std::nullopt;
  }
  if (!value) return std::nullopt;
  if (*value > 1) {
    problems.push_back("Policy value ignored: " + where + " (" +
                       std::to_string(*value) + " is neither 0 nor 1)");
    return std::nullopt;
  }
  return *value == 1;
}

}  // namespace

std::vector<std::string> OrgPolicy::SetValues() const {
  std::vector<std::string> set;
  for (std::size_t i = 0; i < values_.size(); ++i)
    if (values_[i])
      set.push_back(std::string(kOrgValueNames[i]) + "=" +
                    (*values_[i] ? "1" : "0"));
  return set;
}

OrgPolicyReading ReadOrgPolicy(Registry& registry) {
  OrgPolicyReading reading;
  for (std::size_t i = 0; i < kOrgValueNames.size(); ++i) {
    const char* name = kOrgValueNames[i];
    std::optional<bool> value =
        ReadOne(registry, Hive::LocalMachine, name, reading.problems);
    // The account's value counts only where the machine sets none; a bad
    // machine value is not set, so the account's decides.
    if (!value)
      value = ReadOne(registry, Hive::CurrentUser, name, reading.problems);
    reading.policy.Set(static_cast<OrgValue>(i), value);
  }
  return reading;
}

std::string OrgPolicyLine(const OrgPolicy& policy) {
  const std::vector<std::string> set = policy.SetValues();
  if (set.empty()) return "";
  std::string line = "Set by your organization:";
  for (const std::string& value : set) line += " " + value;
  return line;
}

MenuCommand SetByOrganization(const std::string& text, bool checked) {
  return {text + kSetByOrganization, checked, true, [] {}};
}

}  // namespace velmora
