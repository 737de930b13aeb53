// A file that another program holds open with delete sharing (a scanner,
// AutoPlay) is only marked for deletion: the delete call succeeds, the name
// stays until that program closes the file, and it refuses everything else.
// The log says so instead of claiming the file removed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using Lines = std::vector<std::string>;

const std::string kPath = "D:\\autorun.inf";
const std::string kInUse =
    "Autorun Removal Failed: D:\\autorun.inf (in use by another program; it "
    "goes when that program closes it)";

class DeletePendingTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('D');
    system.SetCurrent('C');
    system.AddFile(kPath, "[autorun]", fake::kHidden | fake::kSystem);
    system.HoldOpen(kPath);
    StartForm();
  }
  void Search() { W().Click("cmdremove"); }
  Lines DLines() {
    Lines lines;
    for (const auto& line : Log()) {
      if (line.find("D:") != std::string::npos) lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(DeletePendingTest, SearchSaysTheFileIsInUseInsteadOfRemoved) {
  Search();
  EXPECT_EQ(DLines(), (Lines{"Autorun Found in: D:\\autorun.inf",
                             "Removing from: D:\\autorun.inf", kInUse}));
  EXPECT_TRUE(system.DeletePending(kPath));
  EXPECT_TRUE(system.PathExists(kPath));
}

TEST_F(DeletePendingTest, SecondSearchGivesTheSameReason) {
  Search();
  W().Get("List1").SetRows({});
  Search();
  EXPECT_EQ(DLines(), (Lines{"Autorun Found in: D:\\autorun.inf",
                             "Removing from: D:\\autorun.inf", kInUse}));
}

TEST_F(DeletePendingTest, TimerLogsItOnceAndNothingOnceTheFileGoes) {
  W().Click("Check2");
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  EXPECT_EQ(Log(), Lines{kInUse});
  system.LetGo(kPath);
  EXPECT_FALSE(system.PathExists(kPath));
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  EXPECT_EQ(Log(), Lines{kInUse});
}

TEST_F(DeletePendingTest, AFileLetGoBeforeTheSearchIsRemoved) {
  system.LetGo(kPath);
  Search();
  EXPECT_EQ(DLines().back(), "Autorun Removed from: D:\\autorun.inf");
  EXPECT_FALSE(system.PathExists(kPath));
}

}  // namespace
}  // namespace velmora
