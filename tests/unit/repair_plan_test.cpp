// Scanning an infected stick and the plan made from it: what is found, the
// question, and that nothing changes before the answer.
#include <gtest/gtest.h>

#include <algorithm>

#include "repair/repair_texts.h"
#include "repair/worm_rules.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

const std::string kUser = std::string("E:\\") + kNbsp;

TEST_F(RepairTest, ScanFindsTheWormsWorkAndChangesNothing) {
  MakeInfectedStick();
  const Lines before = tree.Snapshot();
  const ScanFindings findings = Scan();
  EXPECT_EQ(tree.Snapshot(), before);
  EXPECT_TRUE(Changes().empty());

  Lines shortcuts;
  for (const FoundEntry& entry : findings.worm_shortcuts)
    shortcuts.push_back(entry.path);
  EXPECT_EQ(shortcuts, (Lines{"E:\\Photos.lnk", "E:\\USB DISK.lnk"}));
  EXPECT_EQ(findings.worm_programs, (Lines{"E:\\_\\x.dll", "E:\\_\\run.vbs"}));
  EXPECT_EQ(findings.blank_folders, Lines{kUser});
  ASSERT_EQ(findings.hidden_folders.size(), 2u);
  EXPECT_EQ(findings.hidden_folders[0].folder.path, "E:\\_");
  EXPECT_EQ(findings.hidden_folders[1].folder.path, kUser);
  EXPECT_EQ(findings.hidden_folders[1].inside.size(), 6u);
  ASSERT_EQ(findings.hidden_files.size(), 1u);
  EXPECT_EQ(findings.hidden_files[0].path, "E:\\hidden.txt");
  // Windows' own folders are not even entered.
  for (const std::string& call : tree.calls)
    EXPECT_EQ(call.find("System Volume"), std::string::npos) << call;
}

TEST_F(RepairTest, QuestionNamesTheDriveCountsAndNames) {
  MakeInfectedStick();
  const RepairPlan plan = Plan();
  EXPECT_TRUE(plan.HasWork());
  EXPECT_EQ(WithoutStarts(PreviewText(plan)),
            "Repair hidden files on E:?\n"
            "\n- Delete 2 worm shortcuts:"
            "\n   Photos.lnk"
            "\n   USB DISK.lnk"
            "\n- Make 3 folders and 5 files visible again: [U+00A0] and "
            "hidden.txt"
            "\n- Rename the folder [U+00A0] to \"Recovered files\""
            "\n- Leave 2 worm programs where they are, hidden, for an "
            "antivirus: E:\\_\\x.dll and E:\\_\\run.vbs"
            "\n\nNothing else on the drive changes.");
}

TEST_F(RepairTest, QuestionShowsTheFirstThreeNames) {
  tree.AddDrive('E');
  tree.AddFile("E:\\run.hta", "<hta>", kHiddenSystem);
  for (const char* name : {"a.lnk", "b.lnk", "c.lnk", "d.lnk", "e.lnk"})
    tree.AddFile(std::string("E:\\") + name,
                 LinkTo("C:\\x\\mshta.exe", "E:\\run.hta"));
  EXPECT_EQ(WithoutStarts(PreviewText(Plan())),
            "Repair hidden files on E:?\n"
            "\n- Delete 5 worm shortcuts:"
            "\n   a.lnk"
            "\n   b.lnk"
            "\n   c.lnk"
            "\n   and 2 more"
            "\n- Leave 1 worm program where it is, hidden, for an antivirus: "
            "E:\\run.hta"
            "\n\nNothing else on the drive changes.");
}

TEST_F(RepairTest, CleanDriveHasNothingToDo) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\Photos");
  tree.AddFile("E:\\Photos\\a.jpg", "a");
  tree.AddFolder("E:\\System Volume Information", kHiddenSystemFolder);
  tree.AddFile("E:\\Manual.lnk", LinkTo("E:\\Photos\\a.jpg"));
  const RepairPlan plan = Plan();
  EXPECT_FALSE(plan.HasWork());
  EXPECT_TRUE(plan.steps.empty());
  EXPECT_EQ(NothingToRepairText("E:"),
            "Nothing to repair on E:: no worm shortcuts and no hidden files "
            "were found.");
}

TEST_F(RepairTest, NoChangesNothing) {
  MakeInfectedStick();
  const Lines before = tree.Snapshot();
  const RepairPlan plan = Plan();
  ASSERT_TRUE(plan.HasWork());
  // The answer No: the plan is dropped without a run.
  EXPECT_EQ(tree.Snapshot(), before);
  EXPECT_TRUE(Changes().empty());
}

TEST_F(RepairTest, ShortcutKinds) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\h", kHiddenSystemFolder);
  tree.AddFile("E:\\h\\run.exe", "MZ", kAttributeHidden);
  tree.AddFolder("E:\\Visible");
  tree.AddFile("E:\\Visible\\tool.exe", "MZ");
  // Which shortcuts are the worm's is the worm rules' (their tests and
  // the repair rules test); here, what reading gives the sorting.
  const std::pair<const char*, std::string> links[] = {
      {"cmd.lnk", LinkTo("%windir%\\system32\\cmd.exe", "/c h\\run.exe")},
      {"tool.lnk", LinkTo("E:\\Visible\\tool.exe")},
      {"damaged.lnk", LinkTo("C:\\cmd.exe").substr(0, 90)},
      {"text.lnk", "just text"},
  };
  for (const auto& [name, bytes] : links)
    tree.AddFile(std::string("E:\\") + name, bytes);
  const ScanFindings findings = Scan();
  Lines worm;
  for (const FoundEntry& entry : findings.worm_shortcuts)
    worm.push_back(entry.path);
  EXPECT_EQ(worm, Lines{"E:\\cmd.lnk"});
  EXPECT_EQ(findings.worm_programs, Lines{"E:\\h\\run.exe"});
  ASSERT_EQ(findings.unreadable_shortcuts.size(), 2u);
  EXPECT_EQ(findings.unreadable_shortcuts[0].first, "E:\\damaged.lnk");
  EXPECT_EQ(findings.unreadable_shortcuts[0].second,
            ShellLinkStatus::kTruncated);
  EXPECT_EQ(findings.unreadable_shortcuts[1].second,
            ShellLinkStatus::kNotAShellLink);
}

// The look sorts one shortcut a step, and each looks at no more than
// kPathsLookedAt paths: shortcuts naming many folders the walk does not
// enter (Windows' own) keep every step to a few listings.
TEST_F(RepairTest, EachStepOfTheLookListsFewFolders) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\RECYCLER", kHiddenSystemFolder);
  std::string words = "/c";
  for (int i = 0; i < 40; ++i) {
    const std::string folder = "E:\\RECYCLER\\f" + std::to_string(i);
    tree.AddFolder(folder);
    words += " " + folder + "\\a.txt";
  }
  for (const char* name : {"a.lnk", "b.lnk", "c.lnk"})
    tree.AddFile(std::string("E:\\") + name, LinkTo("C:\\cmd.exe", words));
  RepairScan scan(tree, "E:", Utf8);
  std::size_t most = 0;
  do {
    const std::size_t before = tree.calls.size();
    scan.Step();
    most = std::max(most, tree.calls.size() - before);
  } while (!scan.Done());
  EXPECT_GT(most, 1u);
  EXPECT_LE(most, kPathsLookedAt + 1);  // and RECYCLER itself
}

TEST_F(RepairTest, OversizedShortcutIsLeftUnread) {
  tree.AddDrive('E');
  tree.AddFile("E:\\big.lnk",
               LinkTo("C:\\cmd.exe") + std::string(kMaxShellLinkBytes, '\0'));
  const ScanFindings findings = Scan();
  EXPECT_TRUE(findings.worm_shortcuts.empty());
  ASSERT_EQ(findings.unreadable_shortcuts.size(), 1u);
  EXPECT_EQ(findings.unreadable_shortcuts[0].second,
            ShellLinkStatus::kTooLarge);
}

TEST_F(RepairTest, WindowsOwnEntriesStayAsTheyAre) {
  tree.AddDrive('E');
  for (const char* folder : {"System Volume Information", "$RECYCLE.BIN",
                             "RECYCLER", "Recycled", "AUTORUN.INF"})
    tree.AddFolder(std::string("E:\\") + folder, kHiddenSystemFolder);
  tree.AddFolder("E:\\RECYCLER\\S-1-5", kHiddenSystemFolder);
  tree.AddFile("E:\\RECYCLER\\S-1-5\\x", "", kHiddenSystem);
  tree.AddFile("E:\\pagefile.sys", "", kHiddenSystem);
  const RepairPlan plan = Plan();
  EXPECT_FALSE(plan.HasWork());
  EXPECT_EQ(tree.calls, Lines{"List E:\\"});
}

TEST_F(RepairTest, InvisibleFolderNamesAreRenamedWithNumbers) {
  tree.AddDrive('E');
  tree.AddFolder("E:\\Recovered files");
  tree.AddFolder(std::string("E:\\") + kNbsp, kHiddenSystemFolder);
  tree.AddFolder("E:\\\xE2\x80\x8B\xC2\xA0");  // visible attributes
  tree.AddFolder("E:\\\xE3\x85\xA4",
                 kHiddenSystemFolder | kAttributeReparsePoint);
  const RepairPlan plan = Plan();
  EXPECT_EQ(plan.renames, (std::vector<std::pair<std::string, std::string>>{
                              {"[U+00A0]", "Recovered files (2)"},
                              {"[U+200B U+00A0]", "Recovered files (3)"}}));
}

}  // namespace
}  // namespace velmora
