#include "app/start_options.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Args = std::vector<std::string>;

TEST(StartOptionsTest, GuardStartIsSlashGuardInAnyCaseAmongOtherArguments) {
  const struct {
    Args args;
    bool guard;
  } cases[] = {
      {{}, false},         {{"/guard"}, true},   {{"/GUARD"}, true},
      {{"/Guard"}, true},  {{"-guard"}, false},  {{"/guards"}, false},
      {{"guard"}, false},  {{"/guard "}, false}, {{"x", "/gUaRd", "y"}, true},
      {{"/other"}, false},
  };
  for (const auto& c : cases) {
    const StartKind kind = ParseStart(c.args).kind;
    EXPECT_EQ(kind, c.guard ? StartKind::Guard : StartKind::Window)
        << (c.args.empty() ? "(none)" : c.args[0]);
  }
}

TEST(StartOptionsTest, CommandLineRuns) {
  const struct {
    Args args;
    StartKind kind;
    Args drives;
  } cases[] = {
      {{"/scan"}, StartKind::Scan, {}},
      {{"/SCAN", "e:", "F:\\", "E:"}, StartKind::Scan, {"E:", "F:"}},
      {{"/Remove", "g:"}, StartKind::Remove, {"G:"}},
      {{"/repair", "F:", "/YES"}, StartKind::Repair, {"F:"}},
      {{"/?"}, StartKind::Usage, {}},
  };
  for (const auto& c : cases) {
    const StartOptions options = ParseStart(c.args);
    EXPECT_EQ(options.kind, c.kind) << c.args[0];
    EXPECT_EQ(options.drives, c.drives) << c.args[0];
    EXPECT_TRUE(IsCommandLineRun(options.kind));
  }
}

TEST(StartOptionsTest, BadArgumentsSayWhatIsWrong) {
  const struct {
    Args args;
    const char* problem;
  } cases[] = {
      {{"/scan", "/remove"}, "more than one command: /remove"},
      {{"/scan", "E"}, "not understood: E"},
      {{"/scan", "1:"}, "not understood: 1:"},
      {{"/scan", "/guard"}, "not understood: /guard"},
      {{"/scan", "/yes"}, "/yes belongs to /repair"},
      {{"/repair", "/yes"}, "/repair takes exactly one drive"},
      {{"/repair", "E:", "F:", "/yes"}, "/repair takes exactly one drive"},
      {{"/repair", "E:"},
       "/repair needs /yes: a command-line run asks nothing"},
      {{"/?", "E:"}, "/? takes nothing else"},
  };
  for (const auto& c : cases) {
    const StartOptions options = ParseStart(c.args);
    EXPECT_EQ(options.kind, StartKind::BadArguments) << c.problem;
    EXPECT_EQ(options.problem, c.problem);
  }
}

}  // namespace
}  // namespace velmora
