// Carrying out the repair on the fake tree: the log, what changed and what
// did not, junctions, failures midway and stopping between two steps.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

const std::string kUser = std::string("E:\\") + kNbsp;
const std::string kRecovered = "E:\\Recovered files";

TEST_F(RepairTest, RepairsTheInfectedStick) {
  MakeInfectedStick();
  const RepairPlan plan = Plan();
  const Lines lines = RunAll(plan);
  EXPECT_EQ(WithoutStarts(lines),
            (Lines{"Worm shortcut deleted: E:\\Photos.lnk",
                   "Worm shortcut deleted: E:\\USB DISK.lnk",
                   "Folder made visible: E:\\[U+00A0] (4 files)",
                   "Folder renamed: E:\\[U+00A0] to Recovered files",
                   "File made visible: E:\\hidden.txt",
                   "Worm program left in place, hidden, for an antivirus: "
                   "E:\\_\\x.dll",
                   "Worm program left in place, hidden, for an antivirus: "
                   "E:\\_\\run.vbs",
                   "Repair of E: done: 2 worm shortcuts deleted, 3 folders "
                   "and 5 files made visible, 1 folder renamed, 0 failures"}));

  EXPECT_FALSE(tree.Exists("E:\\Photos.lnk"));
  EXPECT_FALSE(tree.Exists("E:\\USB DISK.lnk"));
  EXPECT_FALSE(tree.Exists(kUser));
  EXPECT_EQ(tree.AttributesOf(kRecovered), kAttributeDirectory);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\Photos"), kAttributeDirectory);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\Photos\\a.jpg"), 0u);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\Docs\\report.docx"),
            kAttributeReadOnly);
  EXPECT_EQ(tree.ContentsOf(kRecovered + "\\Docs\\report.docx"), "report");
  EXPECT_EQ(tree.AttributesOf("E:\\hidden.txt"), 0u);
  EXPECT_TRUE(tree.Exists("E:\\Report.lnk"));
  // The worm's folder, Windows' own and desktop.ini keep their attributes.
  EXPECT_EQ(tree.AttributesOf("E:\\_"), kHiddenSystemFolder);
  EXPECT_EQ(tree.AttributesOf("E:\\_\\x.dll"), kHiddenSystem);
  EXPECT_EQ(tree.AttributesOf("E:\\System Volume Information"),
            kHiddenSystemFolder);
  EXPECT_EQ(tree.AttributesOf("E:\\desktop.ini"), kHiddenSystem);
  EXPECT_EQ(tree.AttributesOf("E:\\autorun.inf"),
            kHiddenSystemFolder | kAttributeReadOnly);
  // One change per entry: nothing is touched twice or by accident.
  EXPECT_EQ(Changes().size(), 8u);
}

TEST_F(RepairTest, JunctionInsideAHiddenFolderIsLeftAndNotEntered) {
  tree.AddDrive('C');
  tree.AddFolder("C:\\Users");
  tree.AddFile("C:\\Users\\secret.txt", "secret", kHiddenSystem);
  tree.AddDrive('E');
  tree.AddFolder(kUser, kHiddenSystemFolder);
  tree.AddFile(kUser + "\\a.txt", "a", kAttributeHidden);
  tree.AddJunction(kUser + "\\Users", "C:\\Users",
                   kHiddenSystemFolder | kAttributeReparsePoint);
  tree.AddJunction("E:\\Other", "C:\\Users",
                   kHiddenSystemFolder | kAttributeReparsePoint);
  const Lines lines = RunAll(Plan());
  EXPECT_EQ(lines[0], "Folder made visible: E:\\[U+00A0] (1 file)");
  EXPECT_EQ(lines[2], "Link or junction left as it is: E:\\Other");
  EXPECT_EQ(lines[3], "Link or junction left as it is: E:\\[U+00A0]\\Users");
  EXPECT_EQ(tree.AttributesOf("C:\\Users\\secret.txt"), kHiddenSystem);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\Users"),
            kHiddenSystemFolder | kAttributeReparsePoint);
  for (const std::string& call : tree.calls)
    EXPECT_EQ(call.find("Users"), std::string::npos) << call;
}

TEST_F(RepairTest, FailuresMidwayAreLoggedAndTheRunGoesOn) {
  MakeInfectedStick();
  tree.AddFile("E:\\Locked.lnk", LinkTo("C:\\w\\wscript.exe", "_\\run.vbs"),
               kAttributeReadOnly);
  const Error denied = fake::MakeError(fake::kErrAccessDenied);
  tree.Fail(fake::TreeOp::Delete, "E:\\Photos.lnk", denied);
  tree.Fail(fake::TreeOp::MakeVisible, kUser + "\\Photos\\a.jpg", denied);
  tree.Fail(fake::TreeOp::Rename, kUser,
            fake::MakeError(fake::kErrSharingViolation));
  tree.Fail(fake::TreeOp::List, kUser + "\\Docs", denied);
  const Lines lines = RunAll(Plan());
  const Lines expected = {
      "Worm shortcut deleted: E:\\Locked.lnk",
      "Repair Failed: deleting E:\\Photos.lnk (Access is denied.)",
      "Worm shortcut deleted: E:\\USB DISK.lnk",
      "Repair Failed: making visible E:\\[U+00A0]\\Photos\\a.jpg (Access is "
      "denied.)",
      "Folder made visible: E:\\[U+00A0] (2 files)",
      "Repair Failed: renaming E:\\[U+00A0] (The process cannot access the "
      "file because it is being used by another process.)",
      "File made visible: E:\\hidden.txt",
      "Worm program left in place, hidden, for an antivirus: E:\\_\\run.vbs",
      "Worm program left in place, hidden, for an antivirus: E:\\_\\x.dll",
      "Repair Failed: reading E:\\[U+00A0]\\Docs (Access is denied.)",
      "Repair of E: done: 2 worm shortcuts deleted, 3 folders and 3 files "
      "made visible, 0 folders renamed, 4 failures"};
  EXPECT_EQ(WithoutStarts(lines), expected);
  EXPECT_FALSE(tree.Exists("E:\\Locked.lnk"));
  EXPECT_TRUE(tree.Exists("E:\\Photos.lnk"));
  EXPECT_EQ(tree.AttributesOf(kUser + "\\Photos\\a.jpg"), kHiddenSystem);
  EXPECT_EQ(tree.AttributesOf(kUser + "\\Photos\\b.jpg"), kAttributeArchive);
  EXPECT_EQ(tree.AttributesOf(kUser + "\\Photos"), kAttributeDirectory);
}

TEST_F(RepairTest, ReadOnlyShortcutThatWillNotGoKeepsItsAttributes) {
  tree.AddDrive('E');
  tree.AddFile("E:\\run.vbs", "worm script", kHiddenSystem);
  tree.AddFile("E:\\a.lnk", LinkTo("C:\\cmd.exe", "/c E:\\run.vbs"),
               kAttributeReadOnly);
  tree.Fail(fake::TreeOp::Delete, "E:\\a.lnk",
            fake::MakeError(fake::kErrWriteProtect));
  const Lines lines = RunAll(Plan());
  EXPECT_EQ(lines[0],
            "Repair Failed: deleting E:\\a.lnk (The media is write "
            "protected.)");
  EXPECT_EQ(tree.AttributesOf("E:\\a.lnk"), kAttributeReadOnly);
}

TEST_F(RepairTest, StopsBetweenTwoSteps) {
  MakeInfectedStick();
  RepairRun run(tree, Plan());
  Lines lines;
  EXPECT_TRUE(run.Step(3, lines));
  EXPECT_EQ(run.StepsDone(), 3u);
  EXPECT_EQ(Changes().size(), 3u);
  // Stopped here: the rest stays as it was, the drive still usable.
  EXPECT_TRUE(tree.Exists(kUser));
  EXPECT_EQ(tree.AttributesOf(kUser), kHiddenSystemFolder);
  while (run.Step(100, lines)) {
  }
  EXPECT_TRUE(run.Done());
  EXPECT_TRUE(tree.Exists(kRecovered));
}

TEST_F(RepairTest, BlankFolderHoldingTheWormIsShownButNotTheWorm) {
  tree.AddDrive('E');
  tree.AddFolder(kUser, kHiddenSystemFolder);
  tree.AddFile(kUser + "\\thesis.pdf", "pdf", kAttributeHidden);
  tree.AddFile(kUser + "\\w.exe", "MZ", kHiddenSystem);
  tree.AddFile("E:\\Thesis.lnk",
               LinkTo(kUser + "\\w.exe", std::string("\\") + kNbsp));
  RunAll(Plan());
  EXPECT_EQ(tree.AttributesOf(kRecovered), kAttributeDirectory);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\thesis.pdf"), 0u);
  EXPECT_EQ(tree.AttributesOf(kRecovered + "\\w.exe"), kHiddenSystem);
  EXPECT_FALSE(tree.Exists("E:\\Thesis.lnk"));
}

TEST_F(RepairTest, UnreadableRootIsReported) {
  tree.AddDrive('E');
  tree.Fail(fake::TreeOp::List, "E:\\", fake::MakeError(fake::kErrNotReady));
  const ScanFindings findings = Scan();
  EXPECT_EQ(findings.root_error.number, fake::kErrNotReady);
  EXPECT_FALSE(BuildPlan(findings).HasWork());
}

}  // namespace
}  // namespace velmora
