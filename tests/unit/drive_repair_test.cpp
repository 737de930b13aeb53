// The menu command on the fake system: refusals, the question, Yes and No,
// the log, and stopping while it runs.
#include "app/drive_repair.h"

#include <gtest/gtest.h>

#include "app/repair_menu.h"
#include "platform/fake/fake_platform.h"
#include "repair/repair_texts.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

class DriveRepairTest : public RepairTest {
 protected:
  // Ticks until the command is idle, as the window's timer would.
  void TickToEnd() {
    int ticks = 0;
    while (repair.Tick()) ASSERT_LT(++ticks, 1000) << "never ends";
  }
  Lines Log() const { return log_widget.Rows(); }

  fake::FakeSystem system;
  fake::FakeWidget log_widget{ControlKind::ListBox, ""};
  ListBox log{log_widget};
  DriveRepair repair{system, tree, log, "c:"};
};

TEST_F(DriveRepairTest, MenuTextNamesTheDrive) {
  EXPECT_EQ(DriveRepair::MenuText("e: [USB DISK]"),
            "Repair Hidden Files on E:\xE2\x80\xA6");
}

TEST_F(DriveRepairTest, WindowsDriveIsRefusedWithABox) {
  EXPECT_FALSE(repair.Start("C: [System]"));
  EXPECT_FALSE(repair.Running());
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "C: is the drive Windows runs from: its hidden and system files "
            "are Windows' own, so it is not repaired.");
  EXPECT_EQ(system.boxes[0].flags, kRepairNoticeFlags);
  EXPECT_TRUE(tree.calls.empty());
}

// Windows' drive under another letter, a SUBST letter of a folder of it,
// and a drive holding a Windows of its own are refused by what they are;
// a SUBST letter of another drive is not, nor a drive whose Windows or
// System32 is a junction (to C:'s here), which is never followed.
TEST_F(DriveRepairTest, WindowsDriveByWhatItIsIsRefusedWithABox) {
  tree.AddDrive('C');
  tree.AddFolder("C:\\Windows");
  tree.AddFolder("C:\\Windows\\System32");
  tree.AddFolder("C:\\work");
  tree.AddFolder("C:\\Config.Msi", kHiddenSystemFolder);
  tree.AddSecondLetter('E', 'C');
  tree.AddSubst('F', "C:\\work");
  tree.AddDrive('G');
  tree.AddFolder("G:\\Windows");
  tree.AddFolder("G:\\Windows\\System32");
  tree.AddDrive('D');
  tree.AddFolder("D:\\work");
  tree.AddSubst('H', "D:\\work");
  tree.AddJunction("J:\\Windows", "C:\\Windows");
  tree.AddFolder("K:\\Windows");
  tree.AddJunction("K:\\Windows\\System32", "C:\\Windows\\System32");
  const std::string own =
      ": its hidden and system files are Windows' own, so it is not repaired.";
  const std::pair<std::string, std::string> refused[] = {
      {"E:",
       "E: is the drive Windows runs from (C:) under another letter" + own},
      {"F:",
       "F: is a SUBST letter of a folder on the drive Windows runs "
       "from (C:)" +
           own},
      {"G:", "G: holds a Windows installation (G:\\Windows\\System32)" + own}};
  for (const auto& [drive, text] : refused) {
    EXPECT_FALSE(repair.Start(drive)) << drive;
    EXPECT_FALSE(repair.Running());
    EXPECT_EQ(system.boxes.back().text, text);
    EXPECT_EQ(system.boxes.back().flags, kRepairNoticeFlags);
  }
  EXPECT_EQ(system.boxes.size(), 3u);
  EXPECT_TRUE(tree.calls.empty());
  for (const char* drive : {"H:", "J:", "K:"}) {
    EXPECT_TRUE(repair.Start(drive)) << drive;
    repair.Stop();
  }
}

TEST_F(DriveRepairTest, DriveNotReadyShowsTheErrorReport) {
  tree.AddDrive('E');
  tree.Fail(fake::TreeOp::List, "E:\\", fake::MakeError(fake::kErrNotReady));
  system.Answer(kResultOk);
  ASSERT_TRUE(repair.Start("E:"));
  TickToEnd();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Error: 21: The device is not ready.");
  EXPECT_EQ(system.boxes[0].title, "ERROR");
  EXPECT_TRUE(Log().empty());
}

TEST_F(DriveRepairTest, CleanDriveSaysSo) {
  tree.AddDrive('E');
  ASSERT_TRUE(repair.Start("E:"));
  TickToEnd();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, NothingToRepairText("E:"));
}

TEST_F(DriveRepairTest, NoChangesNothingAndLogsNothing) {
  MakeInfectedStick();
  const Lines before = tree.Snapshot();
  system.Answer(kResultNo);
  ASSERT_TRUE(repair.Start("E:"));
  TickToEnd();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].title, kRepairTitle);
  EXPECT_EQ(system.boxes[0].flags, kRepairQuestionFlags);
  EXPECT_TRUE(system.boxes[0].text.starts_with("Repair hidden files on E:?"));
  EXPECT_EQ(tree.Snapshot(), before);
  EXPECT_TRUE(Log().empty());
}

TEST_F(DriveRepairTest, YesRepairsAndLogs) {
  MakeInfectedStick();
  system.Answer(kResultYes);
  // Ticks that come while the question waits do nothing.
  system.while_box_waits = [this](const fake::ShownBox&) {
    EXPECT_TRUE(repair.Tick());
  };
  ASSERT_TRUE(repair.Start("E:"));
  TickToEnd();
  const Lines log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "Repairing hidden files on E:");
  EXPECT_EQ(WithoutStarts(log[1]), "Worm shortcut deleted: E:\\Photos.lnk");
  EXPECT_TRUE(log.back().starts_with("Repair of E: done: 2 worm shortcuts"));
  EXPECT_TRUE(tree.Exists("E:\\Recovered files\\Docs\\report.docx"));
}

TEST_F(DriveRepairTest, StopWhileTheQuestionWaitsChangesNothing) {
  MakeInfectedStick();
  const Lines before = tree.Snapshot();
  system.Answer(kResultYes);
  system.while_box_waits = [this](const fake::ShownBox&) { repair.Stop(); };
  ASSERT_TRUE(repair.Start("E:"));
  TickToEnd();
  EXPECT_EQ(tree.Snapshot(), before);
  EXPECT_TRUE(Log().empty());
}

TEST_F(DriveRepairTest, LongRepairShowsProgressAndStopsBetweenTwoFiles) {
  tree.AddDrive('E');
  const std::string user = std::string("E:\\") + kNbsp;
  tree.AddFolder(user, kHiddenSystemFolder);
  for (int i = 0; i < 12000; ++i)
    tree.AddFile(user + "\\f" + std::to_string(i), "", kAttributeHidden);
  system.Answer(kResultYes);
  ASSERT_TRUE(repair.Start("E:"));
  while (Log().size() < 2) ASSERT_TRUE(repair.Tick());
  EXPECT_EQ(Log()[1], "Repair of E:: 5000 of 12002 steps done");
  repair.Stop();
  EXPECT_FALSE(repair.Running());
  EXPECT_EQ(Log().back(), "Repair of E: stopped before its end");
  EXPECT_EQ(tree.AttributesOf(user), kHiddenSystemFolder);
  EXPECT_FALSE(repair.Tick());
}

TEST_F(DriveRepairTest, MenuItemStartsTheRepairAndItsTicks) {
  MakeInfectedStick();
  int ticking = 0;
  const auto start_ticking = [&ticking] { ++ticking; };
  RepairMenuItem item = MakeRepairMenuItem(repair, "E:", start_ticking);
  EXPECT_EQ(item.text, "Repair Hidden Files on E:\xE2\x80\xA6");
  EXPECT_FALSE(item.greyed);
  item.choose();
  EXPECT_EQ(ticking, 1);
  EXPECT_TRUE(repair.Running());
  EXPECT_TRUE(MakeRepairMenuItem(repair, "E:", start_ticking).greyed);
  repair.Stop();
  EXPECT_TRUE(MakeRepairMenuItem(repair, "", start_ticking).greyed);
  MakeRepairMenuItem(repair, "C:", start_ticking).choose();
  EXPECT_EQ(ticking, 1);
  EXPECT_FALSE(repair.Running());
}

}  // namespace
}  // namespace velmora
