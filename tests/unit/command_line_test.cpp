// The command line on the fake platform: what each run writes, where, what
// it changes, and the exit code it ends with.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/event_record.h"
#include "app/org_policy.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

class RecordingConsole final : public ConsoleOut {
 public:
  void Line(const std::string& line) override { out.push_back(line); }
  void ErrorLine(const std::string& line) override { errors.push_back(line); }
  std::vector<std::string> out, errors;
};

// C: is Windows' drive; E: holds an autorun.inf, F: a shortcut worm, D: is
// an empty disc drive.
class CommandLineTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('D', /*ready=*/false);
    system.AddDrive('E');
    system.AddFile("E:\\autorun.inf", "[autorun]");
    AddWormStick('F');
    registry.Set(Hive::LocalMachine, kEventSourceKey, "TypesSupported", 7);
  }
  int Run(std::vector<std::string> args) {
    return RunCommandLine(ParseStart(args), system, registry, files, &events,
                          console);
  }
  bool Printed(const std::string& line) {
    return std::find(console.out.begin(), console.out.end(), line) !=
           console.out.end();
  }
  RecordingConsole console;
};

TEST_F(CommandLineTest, ExitCodesSumWhatHappened) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    const char* policy;  // a policy value set to 0 or 1 below, or nullptr
    std::uint32_t value;
    int code;
    bool autorun_stays;
  } cases[] = {
      {"a scan of every drive", {"/scan"}, nullptr, 0, 2 | 4, true},
      {"a scan of a clean drive", {"/scan", "C:"}, nullptr, 0, 0, true},
      {"a removal", {"/remove", "E:"}, nullptr, 0, 1, false},
      {"a removal under AuditOnly", {"/remove"}, "AuditOnly", 1, 2 | 4, true},
      {"a named drive not ready", {"/scan", "D:", "Q:"}, nullptr, 0, 8, true},
      {"the empty disc drive named",
       {"/remove", "C:", "D:"},
       nullptr,
       0,
       8,
       true},
      {"a repair", {"/repair", "F:", "/yes"}, nullptr, 0, 1 | 4, true},
      {"a repair the policy refuses",
       {"/repair", "F:", "/yes"},
       "Repair",
       0,
       16,
       true},
      {"a repair of Windows' drive",
       {"/repair", "c:", "/yes"},
       nullptr,
       0,
       16,
       true},
      {"bad arguments", {"/scan", "/nonsense"}, nullptr, 0, 16, true},
  };
  for (const auto& c : cases) {
    SetUp();
    registry = {};
    if (c.policy)
      registry.Set(Hive::LocalMachine, kOrgPolicyKey, c.policy, c.value);
    EXPECT_EQ(Run(c.args), c.code) << c.what;
    EXPECT_EQ(system.Has("E:\\autorun.inf"), c.autorun_stays) << c.what;
  }
}

TEST_F(CommandLineTest, AScanPrintsTheLogsLinesAndChangesNothing) {
  Run({"/scan"});
  EXPECT_TRUE(Printed("Autorun Found in: E:\\autorun.inf"));
  EXPECT_TRUE(Printed("Drive Not Ready/CD Drive  in D:\\autorun.inf"));
  EXPECT_TRUE(Printed(WormFoundLine({"F:", 1, false, {}})));
  EXPECT_TRUE(console.errors.empty());
  EXPECT_TRUE(files.Exists("F:\\Photos.lnk"));
  EXPECT_TRUE(events.events.empty());
}

TEST_F(CommandLineTest, ARemovalWritesTheWindowsEvents) {
  Run({"/remove", "E:"});
  ASSERT_EQ(events.Ids(), std::vector<std::uint16_t>{kEventAutorunDeleted});
  EXPECT_EQ(events.events[0].strings[8], "command line");
}

TEST_F(CommandLineTest, ARepairRunsWithoutAQuestion) {
  Run({"/repair", "F:", "/yes"});
  EXPECT_FALSE(files.Exists("F:\\Photos.lnk"));
  EXPECT_TRUE(system.boxes.empty());
  ASSERT_FALSE(console.out.empty());
  EXPECT_TRUE(console.out.back().starts_with("Repair of F: done:"))
      << console.out.back();
}

TEST_F(CommandLineTest, BadArgumentsGetTheUsageOnTheErrorOutputOnly) {
  EXPECT_EQ(Run({"/remove", "/yes"}), kExitBadArguments);
  EXPECT_TRUE(console.out.empty());
  ASSERT_EQ(console.errors.size(), 2u);
  EXPECT_EQ(console.errors[0], "Velmora: /yes belongs to /repair");
  EXPECT_EQ(console.errors[1], UsageText());
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
}

}  // namespace
}  // namespace velmora
