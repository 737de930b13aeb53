// The file list and its label kept in step with the drive list, and the
// error report box.
#include <gtest/gtest.h>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

class FilePanelTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('D', /*ready=*/false);
    system.AddDrive('E');
    system.AddFile("C:\\autorun.inf");
    StartForm();
  }
  std::vector<std::string> Files() { return W().Get("File1").Rows(); }
};

TEST_F(FilePanelTest, PickingADriveListsItsHiddenAutorun) {
  system.AddFile("E:\\AUTORUN.INF", "", fake::kHidden | fake::kSystem);
  system.AddFile("E:\\notes.txt");
  W().PickRow("Drive1", 2);
  EXPECT_EQ(Files(), std::vector<std::string>{"AUTORUN.INF"});
  EXPECT_EQ(File1().Path(), "E:");
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(FilePanelTest, PickingAReadyDriveWithoutAutorunEmptiesTheListSilently) {
  W().PickRow("Drive1", 2);
  EXPECT_TRUE(Files().empty());
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(FilePanelTest, NotReadyDriveShowsErrorReportAndOkKeepsGoing) {
  system.Answer(kResultOk);
  W().PickRow("Drive1", 1);
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Error: 21: The device is not ready.");
  EXPECT_EQ(system.boxes[0].title, "ERROR");
  EXPECT_EQ(system.boxes[0].flags, kOkCancelExclamation);
  EXPECT_FALSE(system.ended);
  EXPECT_EQ(Files(), std::vector<std::string>{"autorun.inf"});  // unchanged
  EXPECT_EQ(File1().Path(), "C:");
}

TEST_F(FilePanelTest, CancelInTheErrorReportEndsTheProgram) {
  system.Answer(kResultCancel);
  W().PickRow("Drive1", 1);
  EXPECT_TRUE(system.ended);
}

TEST_F(FilePanelTest, ClickingTheFileFillsTheLabelAfterReReadingTheList) {
  EXPECT_EQ(W().Get("lblfilename").Text(), "...");
  system.AddFile("C:\\Autorun.inf");  // replaced: the name's case changes
  W().ClickRow("File1", 0);
  EXPECT_EQ(W().Get("lblfilename").Text(), "Autorun.inf");
  EXPECT_EQ(File1().FileName(), "Autorun.inf");
}

TEST_F(FilePanelTest, ClickWhenTheDriveTurnedNotReadyReportsAndLeavesTheLabel) {
  system.Drive('C').ready = false;
  system.Answer(kResultOk);
  W().ClickRow("File1", 0);
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Error: 21: The device is not ready.");
  EXPECT_EQ(W().Get("lblfilename").Text(), "...");
  EXPECT_FALSE(system.ended);
}

TEST_F(FilePanelTest, ClickingAnEmptyListBlanksTheLabel) {
  system.RemoveDrive('E');
  system.AddDrive('E');
  W().PickRow("Drive1", 2);
  W().ClickRow("File1", 0);
  EXPECT_EQ(W().Get("lblfilename").Text(), "");
}

}  // namespace
}  // namespace velmora
