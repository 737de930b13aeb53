// No step of the repair leaves the drive: a folder swapped for a junction
// after the look, or while the run works, is not entered and nothing in it
// or behind it changes; a drive swapped during the question changes
// nothing. Checked on the whole tree after each run.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

const std::string kUser = std::string("E:\\") + kNbsp;

class RepairGuardTest : public RepairTest {
 protected:
  void SetUp() override { MakeScene(); }
  // C:\Users holds what must stay hidden, under the names E: has too; E:
  // has the user's hidden folder with a hidden subfolder, and a hidden file
  // of the root. A run that went through a junction to C:\Users would make
  // C:'s files visible.
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

// Swapped between the look and the Yes, at any depth: the swapped folder's
// steps fail, everything else is repaired.
TEST_F(RepairGuardTest, FolderSwappedAfterTheLookIsNotEntered) {
  const std::pair<std::string, std::string> cases[] = {
      {kUser + "\\Docs", "E:\\Recovered files\\Docs.moved"},
      {kUser, kUser + ".moved"}};
  for (const auto& [swapped, moved] : cases) {
    SCOPED_TRACE(swapped);
    tree = fake::FakeFileTree();
    MakeScene();
    const std::vector<std::string> c = DriveC();
    const RepairPlan plan = Plan();
    ASSERT_TRUE(tree.SwapForJunction(swapped, "C:\\Users"));
    const Lines lines = RunAll(plan);
    EXPECT_EQ(DriveC(), c);
    EXPECT_EQ(tree.AttributesOf(moved), kHiddenSystemFolder);
    EXPECT_EQ(tree.AttributesOf("E:\\hidden.txt"), 0u);
    bool failed = false;
    for (const std::string& line : lines)
      failed |= line.starts_with("Repair Failed: ") &&
                line.find(kChanged) != std::string::npos;
    EXPECT_TRUE(failed) << testing::PrintToString(lines);
  }
}

// Swapped while the run works: the folder the run is in is held and cannot
// be swapped; one below it can, and is checked when the run gets there.
TEST_F(RepairGuardTest, FolderSwappedDuringTheStepsIsNotEntered) {
  const std::vector<std::string> c = DriveC();
  Lines lines;
  {
    RepairRun run(tree, Plan());
    run.Step(1, lines);  // E:\[U+00A0]\b.txt: its folder is held
    EXPECT_EQ(tree.held().back(), kUser);
    EXPECT_FALSE(tree.SwapForJunction(kUser, "C:\\Users"));
    ASSERT_TRUE(tree.SwapForJunction(kUser + "\\Docs", "C:\\Users"));
    while (run.Step(1, lines)) {
    }
  }
  EXPECT_TRUE(tree.held().empty()) << "let go when the run ends";
  EXPECT_EQ(DriveC(), c);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Repair Failed: making visible E:\\[U+00A0]\\Docs " +
                          std::string(kChanged));
  EXPECT_EQ(lines[1],
            "Repair Failed: making visible E:\\[U+00A0]\\Docs\\a.txt " +
                std::string(kChanged));
  EXPECT_EQ(tree.AttributesOf("E:\\Recovered files\\Docs.moved\\a.txt"),
            kHiddenSystem);
}

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

// The look itself: a folder swapped after its parent was listed is not
// listed, so nothing behind it is planned.
TEST_F(RepairGuardTest, LookDoesNotListAFolderSwappedUnderIt) {
  RepairScan scan(tree, "E:", Utf8);
  scan.Step();  // the root
  ASSERT_TRUE(tree.SwapForJunction(kUser, "C:\\Users"));
  while (scan.Step()) {
  }
  const ScanFindings& findings = scan.findings();
  ASSERT_EQ(findings.failures.size(), 1u);
  EXPECT_EQ(findings.failures[0].first, kUser);
  EXPECT_EQ(findings.failures[0].second.number, kFolderChangedNumber);
  EXPECT_TRUE(findings.hidden_folders[0].inside.empty());
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

// A folder above one still to be listed swapped for a junction to another
// folder of the same drive: the look reaches each folder as itself, so it
// lists nothing behind the junction.
TEST_F(RepairGuardTest, LookDoesNotListThroughAFolderSwappedAboveIt) {
  tree.AddFolder("E:\\Private");
  tree.AddFolder("E:\\Private\\Docs", kHiddenSystemFolder);
  tree.AddFile("E:\\Private\\Docs\\secret.txt", "s", kHiddenSystem);
  RepairScan scan(tree, "E:", Utf8);
  scan.Step();  // the root
  scan.Step();  // E:\[U+00A0], which finds Docs
  ASSERT_TRUE(tree.SwapForJunction(kUser, "E:\\Private"));
  while (scan.Step()) {
  }
  const ScanFindings& findings = scan.findings();
  ASSERT_EQ(findings.failures.size(), 1u);
  EXPECT_EQ(findings.failures[0].first, kUser + "\\Docs");
  EXPECT_EQ(findings.failures[0].second.number, kFolderChangedNumber);
  for (const FoundEntry& entry : findings.hidden_folders[0].inside)
    EXPECT_EQ(entry.path.find("secret"), std::string::npos) << entry.path;
}

}  // namespace
}  // namespace velmora
