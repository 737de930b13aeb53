// Where the organization's policy allows reporting only, the search, Auto
// Remove and the arrival's removal change nothing, not even an attribute,
// and log each autorun.inf they find as left by the policy.
#include <gtest/gtest.h>

#include "app/event_record.h"
#include "removal/log_lines.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using fake::Op;

constexpr unsigned kHiddenSystemReadOnly =
    fake::kHidden | fake::kSystem | fake::kReadOnly | fake::kArchive;

class AuditOnlyTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
    system.AddDrive('E');
    system.AddFile("E:\\autorun.inf", "[autorun]", kHiddenSystemReadOnly);
    registry.Set(Hive::LocalMachine, kOrgPolicyKey, "AuditOnly", 1);
    registry.Set(Hive::LocalMachine, kEventSourceKey, "TypesSupported", 7);
    StartForm();
  }
  // The file is there as it was, and nothing was asked to change it.
  void ExpectUntouched() {
    ASSERT_TRUE(system.Has("E:\\autorun.inf"));
    EXPECT_EQ(system.Find("E:\\autorun.inf")->attributes,
              kHiddenSystemReadOnly);
    EXPECT_EQ(system.calls(Op::SetAttr), 0);
    EXPECT_EQ(system.calls(Op::Kill), 0);
  }
  int LeftLines() {
    int n = 0;
    for (const std::string& line : Log())
      n += line == LeftByPolicyLine("E:\\autorun.inf");
    return n;
  }
};

TEST_F(AuditOnlyTest, TheSearchLeavesTheFileAndSaysWhy) {
  W().Click("cmdremove");
  ExpectUntouched();
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Set by your organization: AuditOnly=1", NotFound("C:"),
                       "Autorun Left by Policy: E:\\autorun.inf (your "
                       "organization's policy allows reporting only)"}));
  ASSERT_EQ(events.Ids(), std::vector<std::uint16_t>{kEventAutorunLeft});
  EXPECT_EQ(events.events[0].strings[8], "search");
}

TEST_F(AuditOnlyTest, AutoRemoveLogsTheFileOnceWhileItStays) {
  W().Click("Check2");
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  ExpectUntouched();
  EXPECT_EQ(LeftLines(), 1);
  EXPECT_EQ(events.Ids(), std::vector<std::uint16_t>{kEventAutorunLeft});
}

TEST_F(AuditOnlyTest, AnArrivalLeavesTheFile) {
  W().Click("Check2");
  W().SendDeviceArrival(Letters("E"));
  ExpectUntouched();
  EXPECT_EQ(LeftLines(), 1);
  ASSERT_EQ(events.events.size(), 1u);
  EXPECT_EQ(events.events[0].strings[8], "arrival");
}

}  // namespace
}  // namespace velmora
