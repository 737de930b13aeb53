#include "app/start_options.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(StartOptionsTest, GuardStartIsSlashGuardInAnyCaseAmongOtherArguments) {
  const struct {
    std::vector<std::string> args;
    bool guard;
  } cases[] = {
      {{}, false},         {{"/guard"}, true},   {{"/GUARD"}, true},
      {{"/Guard"}, true},  {{"-guard"}, false},  {{"/guards"}, false},
      {{"guard"}, false},  {{"/guard "}, false}, {{"x", "/gUaRd", "y"}, true},
      {{"/other"}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsGuardStart(c.args), c.guard)
        << (c.args.empty() ? "(none)" : c.args[0]);
}

}  // namespace
}  // namespace velmora
