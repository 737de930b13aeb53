// The small commands, the two options and their timers.
#include <gtest/gtest.h>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

class CommandsTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('E');
    StartForm();
  }
};

TEST_F(CommandsTest, AboutShowsTwoOkBoxesTheSecondWithTheApplicationTitle) {
  W().Click("cmdabout");
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[0].text,
            "Kestrin - Velmora - A autorun remover made by Kestrin");
  EXPECT_EQ(system.boxes[0].title, "Kestrin - Velmora");
  EXPECT_EQ(system.boxes[0].flags, kOkOnly);
  EXPECT_EQ(system.boxes[1].text,
            "If the Error Says '0' then the file is existing");
  EXPECT_EQ(system.boxes[1].title, "");  // the platform puts "Velmora" there
  EXPECT_EQ(system.boxes[1].flags, kOkOnly);
  EXPECT_FALSE(system.ended);
}

TEST_F(CommandsTest, EachCheckBoxRunsItsTimerExactlyWhileChecked) {
  W().Click("Check1");
  EXPECT_TRUE(W().TimerEnabled("Timer2"));
  EXPECT_EQ(W().TimerInterval("Timer2"), 500u);
  EXPECT_FALSE(W().TimerEnabled("Timer1"));

  W().Click("Check2");
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  EXPECT_EQ(W().TimerInterval("Timer1"), 900u);
  EXPECT_TRUE(W().TimerEnabled("Timer2"));

  W().Click("Check1");
  EXPECT_FALSE(W().TimerEnabled("Timer2"));
  EXPECT_TRUE(W().TimerEnabled("Timer1"));

  // A greyed box counts as not checked.
  W().Get("Check2").SetValue(2);
  W().Click("Check3");  // another box's click changes nothing
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  windows.Get("frmremover")->Get("Check2").SetValue(1);
  W().Click("Check2");  // 1 -> 0
  EXPECT_FALSE(W().TimerEnabled("Timer1"));
}

TEST_F(CommandsTest, UncheckedTimerNoLongerRemoves) {
  W().Click("Check2");
  W().Click("Check2");
  system.AddFile("E:\\autorun.inf");
  W().Tick("Timer1");
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
  EXPECT_TRUE(Log().empty());
}

TEST_F(CommandsTest, ClearLogWhileTheTimerRunsThenRemovalsAppendToTheEmptyLog) {
  system.AddFile("E:\\autorun.inf");
  W().Click("Check2");
  W().Tick("Timer1");
  ASSERT_EQ(Log(),
            std::vector<std::string>{"Autorun Removed from: E:\\autorun.inf"});

  W().Click("cmdclear");
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(W().TimerEnabled("Timer1"));

  system.AddFile("C:\\autorun.inf");
  W().Tick("Timer1");
  EXPECT_EQ(Log(),
            std::vector<std::string>{"Autorun Removed from: C:\\autorun.inf"});
}

TEST_F(CommandsTest, TimersTickWhileAMessageBoxWaits) {
  W().Click("Check2");
  system.while_box_waits = [this](const fake::ShownBox&) {
    system.AddFile("E:\\autorun.inf");
    W().Tick("Timer1");
  };
  W().Click("cmdabout");
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  EXPECT_EQ(Log().size(), 2u);  // one removal during each of About's boxes
}

TEST_F(CommandsTest, RefreshKeepsTheSelectedDriveAndFiresNoChange) {
  W().PickRow("Drive1", 1);  // E:
  ASSERT_EQ(Drive1().Drive(), "E:");
  const int lists = system.calls(fake::Op::ListFiles);

  system.AddDrive('D');  // a medium arrives before E:
  W().Click("Check1");
  W().Tick("Timer2");
  EXPECT_EQ(Drive1().Drive(), "E:");
  EXPECT_EQ(Drive1().ListCount(), 3);
  EXPECT_EQ(Drive1().List(1), "D:");
  W().Click("cmdreload");
  EXPECT_EQ(Drive1().Drive(), "E:");
  EXPECT_EQ(system.calls(fake::Op::ListFiles), lists);  // no Change handled
}

TEST_F(CommandsTest,
       RefreshAfterTheSelectedDriveWentAwaySelectsTheCurrentOnce) {
  system.AddFile("C:\\autorun.inf");
  W().PickRow("Drive1", 1);  // E:
  EXPECT_TRUE(W().Get("File1").Rows().empty());
  const int lists = system.calls(fake::Op::ListFiles);

  system.RemoveDrive('E');
  W().Click("Check1");
  W().Tick("Timer2");
  EXPECT_EQ(Drive1().Drive(), "C:");
  EXPECT_EQ(system.calls(fake::Op::ListFiles), lists + 1);  // Change, once
  EXPECT_EQ(W().Get("File1").Rows(), std::vector<std::string>{"autorun.inf"});

  W().Tick("Timer2");
  EXPECT_EQ(system.calls(fake::Op::ListFiles), lists + 1);
  EXPECT_TRUE(system.boxes.empty());
}

// The timers may reuse the drive letters read a moment ago; what the user
// asks for reads them afresh.
TEST_F(CommandsTest, TimersReadRecentDriveListsAndCommandsFreshOnes) {
  W().Click("Check1");
  W().Tick("Timer2");
  EXPECT_EQ(system.last_drive_read, DriveRead::Recent);
  W().Click("Check2");
  W().Tick("Timer1");
  EXPECT_EQ(system.last_drive_read, DriveRead::Recent);
  W().Click("cmdreload");
  EXPECT_EQ(system.last_drive_read, DriveRead::Fresh);
  W().Click("cmdremove");
  EXPECT_EQ(system.last_drive_read, DriveRead::Fresh);
}

// A drop-down list that counts what is written to it.
class CountingList : public fake::FakeWidget {
 public:
  CountingList() : FakeWidget(ControlKind::DriveList) {}
  void SetRows(const std::vector<std::string>& rows) override {
    ++writes;
    FakeWidget::SetRows(rows);
  }
  void Select(int row) override {
    ++writes;
    FakeWidget::Select(row);
  }
  int writes = 0;
};

TEST(DriveListRefresh, LeavesTheListAloneUntilARowChanges) {
  fake::FakeSystem system;
  system.AddDrive('C');
  system.AddDrive('E');
  CountingList widget;
  int changes = 0;
  DriveList list(system, widget, [&changes] { ++changes; });
  widget.Select(1);  // the user picks E:
  widget.writes = 0;

  list.Refresh();
  list.Refresh();
  EXPECT_EQ(widget.writes, 0);
  EXPECT_EQ(list.Drive(), "E:");

  system.Drive('E').label = "STICK";
  list.Refresh();
  EXPECT_EQ(widget.Rows(), (std::vector<std::string>{"C:", "E: [STICK]"}));
  EXPECT_EQ(list.Drive(), "E:");
  EXPECT_GT(widget.writes, 0);

  widget.writes = 0;
  system.RemoveDrive('E');
  list.Refresh();
  EXPECT_EQ(widget.Rows(), std::vector<std::string>{"C:"});
  EXPECT_EQ(list.Drive(), "C:");
  EXPECT_EQ(changes, 1);
  EXPECT_GT(widget.writes, 0);
}

}  // namespace
}  // namespace velmora
