// The automatic removal on Timer1, driven through the main window on the
// fake platform: switched on with Check2, ticked by hand.
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

class AutoRemovalTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
  }
  void Start() {
    StartForm();
    W().Click("Check2");
    ASSERT_TRUE(W().TimerEnabled("Timer1"));
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) W().Tick("Timer1");
  }
};

TEST_F(AutoRemovalTest, NothingToRemoveLeavesTheLogUnchanged) {
  system.AddDrive('A', false);
  system.AddDrive('D');
  system.AddFile("D:\\autorun.inf", "", fake::kDirectory);
  system.AddFile("D:\\readme.txt");
  Start();
  W().Get("List1").AddRow("earlier line");
  Tick(5);
  EXPECT_EQ(Log(), Lines{"earlier line"});
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_TRUE(system.Has("D:\\readme.txt"));
  EXPECT_EQ(system.calls(Op::Kill), 0);
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(AutoRemovalTest, DoesNothingBeforeCheck2IsChecked) {
  system.AddFile("C:\\autorun.inf");
  form = std::make_unique<Frmremover>(system, windows, registry, files);
  form->Load();
  Tick(3);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
}

TEST_F(AutoRemovalTest, NewMediumGetsExactlyOneRemovedLine) {
  system.AddDrive('E', false);
  Start();
  Tick(2);
  EXPECT_TRUE(Log().empty());
  system.AddFile("E:\\autorun.inf", "[autorun]",
                 fake::kHidden | fake::kSystem | fake::kReadOnly);
  system.Drive('E').ready = true;
  Tick();
  EXPECT_EQ(Log(), Lines{Removed("E:")});
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  Tick(4);
  EXPECT_EQ(Log(), Lines{Removed("E:")});
}

TEST_F(AutoRemovalTest, DriveAddedSinceTheLastTickIsWalked) {
  Start();
  Tick();
  system.AddDrive('G');
  system.AddFile("G:\\autorun.inf");
  Tick();
  EXPECT_EQ(Log(), Lines{Removed("G:")});
}

TEST_F(AutoRemovalTest, RemovesOnEveryReadyDriveInListOrder) {
  system.AddDrive('D');
  system.AddDrive('E', false);
  system.AddDrive('F');
  system.AddFile("C:\\autorun.inf", "", fake::kHidden);
  system.AddFile("E:\\autorun.inf");
  system.AddFile("F:\\Autorun.inf", "", fake::kSystem);
  Start();
  Tick();
  EXPECT_EQ(Log(), (Lines{Removed("C:"), Removed("F:")}));
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
}

TEST_F(AutoRemovalTest, ConfirmingOptionHasNoEffect) {
  system.AddDrive('D');
  system.AddFile("D:\\autorun.inf");
  Start();
  W().Click("Check3");
  Tick();
  EXPECT_EQ(Log(), Lines{Removed("D:")});
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_FALSE(system.Has("D:\\autorun.inf"));
}

// A hidden file there stays unseen by the existence test, yet it is there:
// its failure is logged once, as other failures are; a folder of that name
// logs nothing.
TEST_F(AutoRemovalTest, WriteProtectedHiddenFileIsLoggedOnceAsAFailure) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf", "", fake::kHidden);
  system.AddDrive('E').write_protected = true;
  system.AddFile("E:\\autorun.inf", "", fake::kDirectory | fake::kHidden);
  Start();
  Tick(3);
  EXPECT_EQ(Log(), Lines{WriteProtected("D:")});
  W().SendDeviceArrival(Letters("DE"));
  EXPECT_EQ(Log(), Lines{WriteProtected("D:")});
  EXPECT_EQ(system.calls(Op::Kill), 0);
}

TEST_F(AutoRemovalTest, FailedDeletionIsLoggedOnceWhileTheTimerRuns) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Tick(10);
  EXPECT_EQ(Log(), Lines{WriteProtected("D:")});
  EXPECT_EQ(system.calls(Op::Kill), 10);
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(AutoRemovalTest, FailureIsLoggedAgainAfterTheTimerWasSwitchedOffAndOn) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Tick(3);
  W().Click("Check2");
  EXPECT_FALSE(W().TimerEnabled("Timer1"));
  W().Click("Check2");
  Tick(3);
  EXPECT_EQ(Log(), (Lines{WriteProtected("D:"), WriteProtected("D:")}));
}

TEST_F(AutoRemovalTest, FailureIsLoggedAgainAfterTheFileWasGone) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Tick(2);
  // The file goes away behind the program's back (another medium without
  // one), and later comes back.
  system.Drive('D').write_protected = false;
  ASSERT_FALSE(system.Kill("D:\\autorun.inf").failed());
  system.Drive('D').write_protected = true;
  Tick(2);
  EXPECT_EQ(Log(), Lines{WriteProtected("D:")});
  system.AddFile("D:\\autorun.inf");
  Tick(2);
  EXPECT_EQ(Log(), (Lines{WriteProtected("D:"), WriteProtected("D:")}));
}

TEST_F(AutoRemovalTest, FailureIsLoggedAgainAfterTheDriveWasNotReady) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Tick(2);
  system.Drive('D').ready = false;
  Tick();
  system.Drive('D').ready = true;
  Tick(2);
  EXPECT_EQ(Log(), (Lines{WriteProtected("D:"), WriteProtected("D:")}));
}

TEST_F(AutoRemovalTest, FailureIsLoggedOncePerPath) {
  system.AddDrive('D').write_protected = true;
  system.AddDrive('E').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  system.AddFile("E:\\autorun.inf");
  Start();
  Tick(3);
  EXPECT_EQ(Log(), (Lines{WriteProtected("D:"), WriteProtected("E:")}));
}

TEST_F(AutoRemovalTest, KillThatClaimsSuccessIsLoggedAsFailureOnce) {
  system.AddFile("C:\\autorun.inf");
  system.KillLies("C:\\autorun.inf");
  Start();
  Tick(4);
  EXPECT_EQ(Log(), Lines{"Autorun Removal Failed: C:\\autorun.inf (the file "
                         "is still there)"});
}

TEST_F(AutoRemovalTest, FailedProbeOrExistenceTestLogsNothing) {
  system.AddDrive('D');
  system.AddFile("C:\\autorun.inf");
  system.AddFile("D:\\autorun.inf");
  system.Fail(Op::Probe, "C:", fake::kErrAccessDenied);
  system.Fail(Op::Dir, "D:\\autorun.inf", fake::kErrAccessDenied);
  Start();
  Tick(2);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_EQ(system.calls(Op::Kill), 0);
}

TEST_F(AutoRemovalTest, TouchesTheFileSystemOfReadyDrivesOnly) {
  system.AddDrive('A', false);
  system.AddDrive('D', false);
  system.AddDrive('E');
  system.AddFile("D:\\autorun.inf");
  system.AddFile("E:\\autorun.inf");
  Start();
  const int probes = system.calls(Op::Probe);
  Tick();
  // Four entries probed once each; C: and E: are ready. C: has no file
  // (one clear, one test); E: has one (clear, test, clear, delete).
  EXPECT_EQ(system.calls(Op::Probe) - probes, 4);
  EXPECT_EQ(system.calls(Op::ChangeDrive), 2);
  EXPECT_EQ(system.calls(Op::SetAttr), 3);
  EXPECT_EQ(system.calls(Op::Dir), 2);
  EXPECT_EQ(system.calls(Op::Kill), 1);
  Tick();
  EXPECT_EQ(system.calls(Op::Probe) - probes, 8);
  EXPECT_EQ(system.calls(Op::ChangeDrive), 4);
  EXPECT_EQ(system.calls(Op::SetAttr), 5);
  EXPECT_EQ(system.calls(Op::Dir), 4);
  EXPECT_EQ(system.calls(Op::Kill), 1);
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
}

TEST_F(AutoRemovalTest, TicksWhileASearchQuestionWaits) {
  system.AddDrive('D');
  system.AddFile("C:\\autorun.inf");
  system.AddFile("D:\\autorun.inf");
  Start();
  W().Click("Check3");
  system.Answer(kResultYes);
  system.Answer(kResultYes);
  // While the question about C: waits the timer removes both files; the
  // search's own deletion then fails and says so rather than claiming it.
  system.while_box_waits = [this](const fake::ShownBox&) { Tick(); };
  W().Click("cmdremove");
  EXPECT_EQ(Log(), (Lines{"Autorun Found in: C:\\autorun.inf", Removed("C:"),
                          Removed("D:"),
                          "Autorun Removal Failed: C:\\autorun.inf (The "
                          "system cannot find the file specified.)",
                          "Autorun does not exists in D:\\autorun.inf"}));
  EXPECT_EQ(system.boxes.size(), 1u);
}

TEST_F(AutoRemovalTest, ClearLogWhileTheTimerRuns) {
  system.AddDrive('D');
  system.AddFile("C:\\autorun.inf");
  Start();
  Tick();
  W().Click("cmdclear");
  EXPECT_TRUE(Log().empty());
  system.AddFile("D:\\autorun.inf");
  Tick();
  EXPECT_EQ(Log(), Lines{Removed("D:")});
}

}  // namespace
}  // namespace velmora
