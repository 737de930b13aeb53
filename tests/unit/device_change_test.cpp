// Volume arrival and removal reported by the window: with Check2 on, an
// arrival runs the automatic removal's work at once; with Check1 on, an
// arrival or removal refreshes the drive list at once. The timers stay as
// they are, and nothing else changes: same lines, no boxes.
#include <gtest/gtest.h>

#include <memory>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using fake::FakeSystem;
using fake::FakeWindowFactory;
using fake::Op;

class DeviceChangeTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('D');
    system.SetCurrent('C');
    system.AddFile("C:\\readme.txt", "keep");
    StartForm();
  }
  Lines DriveRows() { return W().Get("Drive1").Rows(); }
  // A volume message naming the drives `letters` ("DG").
  void Arrive(std::string_view letters = "D") {
    W().SendDeviceArrival(Letters(letters));
  }
  void Leave(std::string_view letters = "D") {
    W().SendDeviceRemoval(Letters(letters));
  }
};

TEST_F(DeviceChangeTest, ArrivalWithCheck2RemovesAtOnceWithTheTimersLine) {
  W().Click("Check2");
  ASSERT_TRUE(W().TimerEnabled("Timer1"));
  system.AddFile("D:\\autorun.inf", "[autorun]",
                 fake::kHidden | fake::kSystem | fake::kReadOnly);
  Arrive();  // no tick in between
  EXPECT_EQ(Log(), Lines{Removed("D:")});
  EXPECT_FALSE(system.Has("D:\\autorun.inf"));
  EXPECT_TRUE(system.Has("C:\\readme.txt"));
  // The timer is left as it was and finds nothing more on its next tick.
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  EXPECT_EQ(W().TimerInterval("Timer1"), 900u);
  W().Tick("Timer1");
  EXPECT_EQ(Log(), Lines{Removed("D:")});
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(DeviceChangeTest, ArrivalOfANewDriveLetterCleansIt) {
  W().Click("Check2");
  system.AddDrive('G');
  system.AddFile("G:\\AUTORUN.INF", "x");
  Arrive("G");
  EXPECT_EQ(Log(), Lines{Removed("G:")});
  EXPECT_FALSE(system.Has("G:\\autorun.inf"));
}

TEST_F(DeviceChangeTest, ArrivalWithoutCheck2RemovesNothing) {
  system.AddFile("D:\\autorun.inf");
  const int kills = system.calls(Op::Kill);
  const int probes = system.calls(Op::Probe);
  Arrive();
  Leave();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_EQ(system.calls(Op::Kill), kills);
  EXPECT_EQ(system.calls(Op::Probe), probes);
  // Check3 (confirming) is no switch for this either.
  W().Click("Check3");
  Arrive();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(DeviceChangeTest, RemovalWithCheck2RemovesNothing) {
  W().Click("Check2");
  system.AddFile("D:\\autorun.inf");
  Leave();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(DeviceChangeTest, ArrivalAfterCheck2WasSwitchedOffRemovesNothing) {
  W().Click("Check2");
  W().Click("Check2");
  ASSERT_FALSE(W().TimerEnabled("Timer1"));
  system.AddFile("D:\\autorun.inf");
  Arrive();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(DeviceChangeTest, GreyedCheck2CountsAsOff) {
  W().Get("Check2").SetValue(2);
  system.AddFile("D:\\autorun.inf");
  Arrive();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(DeviceChangeTest, ArrivalAndRemovalWithCheck1RefreshTheDriveList) {
  W().Click("Check1");
  system.AddDrive('G').label = "STICK";
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:"}));
  Arrive("G");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:", "G: [STICK]"}));
  system.RemoveDrive('G');
  Leave("G");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:"}));
  EXPECT_EQ(W().Get("Drive1").Selected(), 0);  // C: stays selected
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(DeviceChangeTest, WithoutCheck1TheDriveListWaitsForAReload) {
  system.AddDrive('G');
  Arrive("G");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:"}));
  W().Click("cmdreload");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:", "G:"}));
}

TEST_F(DeviceChangeTest, SelectedDriveThatLeavesPointsTheFileListElsewhere) {
  system.AddDrive('G');
  system.AddFile("G:\\autorun.inf");
  W().Click("cmdreload");
  W().PickRow("Drive1", 2);
  ASSERT_EQ(W().Get("File1").Rows(), Lines{"autorun.inf"});
  W().Click("Check1");
  system.RemoveDrive('G');
  Leave("G");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:"}));
  EXPECT_EQ(W().Get("Drive1").Selected(), 0);
  EXPECT_TRUE(W().Get("File1").Rows().empty());
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(DeviceChangeTest, FailureSeenOnArrivalIsNotLoggedAgainByTheTimer) {
  system.Drive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  W().Click("Check2");
  Arrive();
  const Lines once{
      "Autorun Removal Failed: D:\\autorun.inf (The media is write "
      "protected.)"};
  EXPECT_EQ(Log(), once);
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  Arrive();
  EXPECT_EQ(Log(), once);
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(DeviceChangeTest, BothOptionsOnArrivalListsAndCleansOnce) {
  W().Click("Check1");
  W().Click("Check2");
  system.AddDrive('H');
  system.AddFile("H:\\autorun.inf");
  system.AddFile("H:\\photo.jpg", "jpeg");
  Arrive("H");
  EXPECT_EQ(DriveRows(), (Lines{"C:", "D:", "H:"}));
  EXPECT_EQ(Log(), Lines{Removed("H:")});
  EXPECT_TRUE(system.Has("H:\\photo.jpg"));
  EXPECT_EQ(system.Find("H:\\photo.jpg")->contents, "jpeg");
  W().Tick("Timer1");
  W().Tick("Timer2");
  EXPECT_EQ(Log(), Lines{Removed("H:")});
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST_F(DeviceChangeTest,
       ArrivalCleansTheArrivedDrivesAndLeavesTheRestToTheTimer) {
  W().Click("Check2");
  system.AddDrive('G');
  system.AddFile("D:\\autorun.inf");
  system.AddFile("G:\\autorun.inf");
  const int probes = system.calls(Op::Probe);
  Arrive("G");
  EXPECT_EQ(Log(), Lines{Removed("G:")});
  EXPECT_EQ(system.calls(Op::Probe), probes + 1);  // G: alone was asked
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  W().Tick("Timer1");
  EXPECT_EQ(Log(), (Lines{Removed("G:"), Removed("D:")}));
}

TEST_F(DeviceChangeTest, ArrivalElsewhereKeepsAFailureLoggedOnce) {
  system.Drive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  W().Click("Check2");
  W().Tick("Timer1");
  ASSERT_EQ(Log().size(), 1u);
  system.AddDrive('G');
  Arrive("G");
  W().Tick("Timer1");
  EXPECT_EQ(Log().size(), 1u);  // D:'s failure is not logged a second time
}

}  // namespace
}  // namespace velmora
