#include "app/org_policy.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"

namespace velmora {
namespace {

using fake::FakeRegistry;

// What each hive holds of one value, and what the two add up to.
struct PolicyCase {
  const char* what;
  std::optional<std::uint32_t> machine, account;
  bool machine_other_type;
  std::optional<bool> expected;
  std::size_t problems;
};

TEST(OrgPolicyTest, MachineWinsAndBadValuesCountAsNotSet) {
  const PolicyCase cases[] = {
      {"neither hive", {}, {}, false, std::nullopt, 0},
      {"account alone", {}, 1, false, true, 0},
      {"machine wins over account", 0, 1, false, false, 0},
      {"machine alone", 1, {}, false, true, 0},
      {"out of range is not set", 2, {}, false, std::nullopt, 1},
      {"a bad machine value leaves the account's", 7, 0, false, false, 1},
      {"another type is not set", {}, {}, true, std::nullopt, 1},
  };
  for (const PolicyCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    if (c.machine)
      registry.Set(Hive::LocalMachine, kOrgPolicyKey, "AutoRemove", *c.machine);
    if (c.machine_other_type)
      registry.SetOtherType(Hive::LocalMachine, kOrgPolicyKey, "AutoRemove");
    if (c.account)
      registry.Set(Hive::CurrentUser, kOrgPolicyKey, "AutoRemove", *c.account);
    const OrgPolicyReading reading = ReadOrgPolicy(registry);
    EXPECT_EQ(reading.policy.Get(OrgValue::AutoRemove), c.expected);
    ASSERT_EQ(reading.problems.size(), c.problems);
    if (c.problems)
      EXPECT_NE(reading.problems[0].find(
                    "HKLM\\Software\\Policies\\Velmora\\AutoRemove"),
                std::string::npos)
          << reading.problems[0];
  }
}

TEST(OrgPolicyTest, TheLineNamesEverySetValueInOrder) {
  FakeRegistry registry;
  EXPECT_EQ(OrgPolicyLine(ReadOrgPolicy(registry).policy), "");
  registry.Set(Hive::LocalMachine, kOrgPolicyKey, "Repair", 0);
  registry.Set(Hive::CurrentUser, kOrgPolicyKey, "AutoRemove", 1);
  const OrgPolicy policy = ReadOrgPolicy(registry).policy;
  EXPECT_EQ(OrgPolicyLine(policy),
            "Set by your organization: AutoRemove=1 Repair=0");
  EXPECT_FALSE(policy.Allows(OrgValue::Repair));
  EXPECT_TRUE(policy.Allows(OrgValue::AutoRunSwitch));
  EXPECT_FALSE(policy.Requires(OrgValue::AuditOnly));
}

}  // namespace
}  // namespace velmora
