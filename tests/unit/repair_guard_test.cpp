// No step of the repair leaves the drive: a folder swapped for a junction
// while the look lists, between the look and the Yes, or while the run
// works, is not entered and nothing in it or behind it changes; a drive
// swapped during the question changes nothing; nor does a worm shortcut
// written anew. Checked on the whole tree after each run.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_platform.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

const std::string kUser = std::string("E:\\") + kNbsp;

class RepairGuardTest : public RepairTest {
 protected:
  void SetUp() override { MakeScene(); }
  // C:\Users holds what must stay hidden, under the names E: has too; E:
  // has the user's hidden folder with a hidden subfolder, a hidden file of
  // the root, and a visible folder whose hidden Docs holds a secret. A run
  // that went through a junction to C:\Users or to E:\Private would make
  // what is there visible.
  void MakeScene() {
    tree.AddDrive('C');
    tree.AddFolder("C:\\Users", kHiddenSystemFolder);
    for (const char* name : {"secret.txt", "a.txt", "b.txt"})
      tree.AddFile(std::string("C:\\Users\\") + name, "c", kHiddenSystem);
    tree.AddDrive('E');
    tree.AddFolder(kUser, kHiddenSystemFolder);
    tree.AddFolder(kUser + "\\Docs", kHiddenSystemFolder);
    tree.AddFile(kUser + "\\Docs\\a.txt", "a", kHiddenSystem);
    tree.AddFile(kUser + "\\b.txt", "b", kHiddenSystem);
    tree.AddFile("E:\\hidden.txt", "h", kHiddenSystem);
    tree.AddFolder("E:\\Private");
    tree.AddFolder("E:\\Private\\Docs", kHiddenSystemFolder);
    tree.AddFile("E:\\Private\\Docs\\secret.txt", "s", kHiddenSystem);
  }
  std::vector<std::string> DriveC() const {
    std::vector<std::string> c;
    for (const std::string& line : tree.Snapshot())
      if (line.starts_with("C:")) c.push_back(line);
    return c;
  }
};

const char kChanged[] =
    "(it is no longer the folder looked at: a link, a junction or another "
    "folder is in its place)";

// A folder swapped for a junction: when, which, to what, the failure lines
// the run must give (each with kChanged), and a folder behind the swap
// that keeps hidden and system. (Docs swapped at the Yes meets the check
// that Docs swapped in the run meets.)
struct Swap {
  const char* name;
  enum When { kInTheLook, kAtTheYes, kInTheRun } when;
  int steps;  // of the look or the run, done before the swap
  std::string swapped, target;
  Lines failed;
  std::string left;
};

const Swap kSwaps[] = {
    {"the user's folder, once the look has listed the root",
     Swap::kInTheLook,
     1,
     kUser,
     "C:\\Users",
     {"Repair Failed: reading E:\\[U+00A0]"},
     kUser + ".moved"},
    {"the user's folder, for one of the drive, before Docs in it is listed",
     Swap::kInTheLook,
     3,  // the root, Private, the user's folder
     kUser,
     "E:\\Private",
     {"Repair Failed: reading E:\\[U+00A0]\\Docs"},
     "E:\\Private\\Docs"},
    {"the user's folder, between the look and the Yes",
     Swap::kAtTheYes,
     0,
     kUser,
     "C:\\Users",
     {"Repair Failed: making visible E:\\[U+00A0]",
      "Repair Failed: renaming E:\\[U+00A0]"},
     kUser + ".moved"},
    {"Docs, while the run works in the user's folder",
     Swap::kInTheRun,
     1,
     kUser + "\\Docs",
     "C:\\Users",
     {"Repair Failed: making visible E:\\[U+00A0]\\Docs",
      "Repair Failed: making visible E:\\[U+00A0]\\Docs\\a.txt"},
     "E:\\Recovered files\\Docs.moved"},
};

void PrintTo(const Swap& swap, std::ostream* out) { *out << swap.name; }

class FolderSwapTest : public RepairGuardTest,
                       public ::testing::WithParamInterface<Swap> {};

TEST_P(FolderSwapTest, NothingBehindTheJunctionIsListedOrChanged) {
  const Swap& swap = GetParam();
  const std::vector<std::string> c = DriveC();
  RepairScan scan(tree, "E:", Utf8);
  if (swap.when == Swap::kInTheLook) {
    for (int i = 0; i < swap.steps; ++i) scan.Step();
    EXPECT_EQ(tree.held(), std::vector<std::string>{"E:\\"})
        << "the look lists each folder from the root it holds";
    ASSERT_TRUE(tree.SwapForJunction(swap.swapped, swap.target));
  }
  while (scan.Step()) {
  }
  EXPECT_TRUE(tree.held().empty()) << "let go when the look ends";
  if (swap.when == Swap::kAtTheYes)
    ASSERT_TRUE(tree.SwapForJunction(swap.swapped, swap.target));
  Lines lines;
  {
    RepairRun run(tree, BuildPlan(scan.findings()));
    if (swap.when == Swap::kInTheRun) {
      for (int i = 0; i < swap.steps; ++i) run.Step(1, lines);
      ASSERT_FALSE(tree.held().empty());
      EXPECT_FALSE(tree.SwapForJunction(tree.held().back(), swap.target))
          << "a held folder stays";
      ASSERT_TRUE(tree.SwapForJunction(swap.swapped, swap.target));
    }
    while (run.Step(1, lines)) {
    }
  }
  EXPECT_TRUE(tree.held().empty()) << "let go when the run ends";
  EXPECT_EQ(DriveC(), c);
  EXPECT_EQ(tree.AttributesOf(swap.left), kHiddenSystemFolder);
  EXPECT_EQ(tree.AttributesOf("E:\\hidden.txt"), 0u) << "the rest is repaired";
  for (const std::string& failed : swap.failed)
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        failed + " " + std::string(kChanged)),
              lines.end())
        << failed << "\n"
        << testing::PrintToString(lines);
  for (const std::string& line : lines)
    EXPECT_EQ(line.find("secret"), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(Swaps, FolderSwapTest, ::testing::ValuesIn(kSwaps),
                         [](const ::testing::TestParamInfo<Swap>& info) {
                           return "Case" + std::to_string(info.index);
                         });

// The stick was swapped for another while the question waited: the first
// check finds another drive and nothing at all changes.
TEST_F(RepairGuardTest, AnotherDriveAtTheYesChangesNothing) {
  const RepairPlan plan = Plan();
  fake::FakeFileTree other;
  other.AddDrive('E');
  other.AddFolder(kUser, kHiddenSystemFolder);
  other.AddFile("E:\\hidden.txt", "other", kHiddenSystem);
  const Lines before = other.Snapshot();
  RepairRun run(other, plan);
  Lines lines;
  while (run.Step(10, lines)) {
  }
  EXPECT_EQ(other.Snapshot(), before);
  EXPECT_EQ(lines,
            (Lines{"Repair Failed: checking E:\\ " + std::string(kChanged),
                   "Repair of E: done: 0 worm shortcuts deleted, 0 "
                   "folders and 0 files made visible, 0 folders "
                   "renamed, 1 failure"}));
}

// A worm shortcut written anew between the look and the Yes is not the
// file that was read: it stays, with a failure line.
TEST_F(RepairGuardTest, ShortcutReplacedAfterTheLookStays) {
  tree.AddFile("E:\\run.vbs", "worm", kHiddenSystem);
  tree.AddFile("E:\\Music.lnk",
               LinkTo("C:\\Windows\\System32\\wscript.exe", "E:\\run.vbs"));
  tree.AddFile("E:\\Video.lnk",
               LinkTo("C:\\Windows\\System32\\wscript.exe", "E:\\run.vbs"));
  const RepairPlan plan = Plan();
  tree.ReplaceFile("E:\\Music.lnk");
  const Lines lines = RunAll(plan);
  EXPECT_TRUE(tree.Exists("E:\\Music.lnk"));
  EXPECT_FALSE(tree.Exists("E:\\Video.lnk"));
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Repair Failed: deleting E:\\Music.lnk (it is no longer "
                      "the file looked at: another file, a link or a folder is "
                      "in its place)"),
            lines.end())
      << testing::PrintToString(lines);
}

}  // namespace
}  // namespace velmora
