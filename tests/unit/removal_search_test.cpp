// The click of cmdremove and the readiness probe, driven through the main
// window on the fake platform.
#include <gtest/gtest.h>

#include <memory>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "removal/dexists.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using fake::FakeSystem;
using fake::FakeWindowFactory;
using fake::Op;

constexpr unsigned kHiddenSystemReadOnly =
    fake::kHidden | fake::kSystem | fake::kReadOnly | fake::kArchive;

// --- DExists ---

TEST(DExistsTest, UnknownLetterGivesNoSuchDrive) {
  FakeSystem system;
  system.AddDrive('C');
  EXPECT_EQ(DExists(system, "Q:"), kNoSuchDrive);
  EXPECT_EQ(DExists(system, ""), kNoSuchDrive);
}

TEST(DExistsTest, DriveWithoutMediumGivesNotReady) {
  FakeSystem system;
  system.AddDrive('D', /*ready=*/false);
  EXPECT_EQ(DExists(system, "D:"), kDriveNotReady);
}

TEST(DExistsTest, ReadyDriveGivesReady) {
  FakeSystem system;
  system.AddDrive('C');
  EXPECT_EQ(DExists(system, "C:"), kDriveReady);
}

TEST(DExistsTest, FailedProbeCountsAsNotReady) {
  FakeSystem system;
  system.AddDrive('C');
  system.Fail(Op::Probe, "C:", fake::kErrAccessDenied);
  EXPECT_EQ(DExists(system, "C:"), kDriveNotReady);
}

TEST(DExistsTest, AsksTheSystemAfreshOnEveryCall) {
  FakeSystem system;
  system.AddDrive('E');
  EXPECT_EQ(DExists(system, "E:"), kDriveReady);
  system.Drive('E').ready = false;
  EXPECT_EQ(DExists(system, "E:"), kDriveNotReady);
  system.RemoveDrive('E');
  EXPECT_EQ(DExists(system, "E:"), kNoSuchDrive);
  system.AddDrive('E');
  EXPECT_EQ(DExists(system, "E:"), kDriveReady);
  EXPECT_EQ(system.calls(Op::Probe), 4);
}

// --- cmdremove ---

class SearchRemoveTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
  }
  void Start() { StartForm(); }
  void Confirming() { W().Click("Check3"); }
  void Search() { W().Click("cmdremove"); }
};

TEST_F(SearchRemoveTest, NoDriveReadyGivesOneNotReadyLinePerEntry) {
  system.AddDrive('A', false);
  system.AddDrive('D', false);
  Start();
  system.Drive('C').ready = false;
  system.AddFile("C:\\autorun.inf");
  Search();
  EXPECT_EQ(Log(), (Lines{NotReady("A:"), NotReady("C:"), NotReady("D:")}));
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(system.calls(Op::ChangeDrive), 0);
  EXPECT_EQ(system.calls(Op::SetAttr), 0);
  EXPECT_EQ(system.calls(Op::Dir), 0);
  EXPECT_EQ(system.calls(Op::Kill), 0);
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
}

TEST_F(SearchRemoveTest, HiddenSystemReadOnlyFileIsFoundAndDeleted) {
  system.AddFile("C:\\autorun.inf", "[autorun]", kHiddenSystemReadOnly);
  system.AddFile("C:\\readme.txt", "", fake::kHidden);
  Start();
  Search();
  EXPECT_EQ(Log(), Silent("C:"));
  EXPECT_FALSE(system.Has("C:\\autorun.inf"));
  ASSERT_TRUE(system.Has("C:\\readme.txt"));
  EXPECT_EQ(system.Find("C:\\readme.txt")->attributes, fake::kHidden);
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(SearchRemoveTest, SilentWalkLogsEveryDriveInListOrder) {
  system.AddDrive('A', false);
  system.AddDrive('D');
  system.AddDrive('E');
  system.AddFile("D:\\autorun.inf", "", fake::kHidden);
  system.AddFile("E:\\AUTORUN.INF");
  Start();
  Search();
  EXPECT_EQ(
      Log(),
      Join({{NotReady("A:"), NotFound("C:")}, Silent("D:"), Silent("E:")}));
  EXPECT_FALSE(system.Has("D:\\autorun.inf"));
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  // The current drive stays on the last ready drive.
  EXPECT_EQ(system.CurrentDrive(), "E:");
}

TEST_F(SearchRemoveTest, ConfirmingModeAsksAndLogsAfterTheDeletion) {
  system.AddDrive('D');
  system.AddFile("D:\\autorun.inf", "", fake::kSystem);
  Start();
  Confirming();
  system.Answer(kResultYes);
  Search();
  EXPECT_EQ(Log(), Join({{NotFound("C:")}, ConfirmedYes("D:")}));
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "Do You Want to Remove Autorun in D:\\autorun.inf");
  EXPECT_EQ(system.boxes[0].title, "Autorun Found");
  EXPECT_EQ(system.boxes[0].flags, 68);
  EXPECT_FALSE(system.Has("D:\\autorun.inf"));
}

TEST_F(SearchRemoveTest, YesOnOneDriveNoOnAnother) {
  system.AddDrive('D');
  system.AddDrive('E');
  system.AddFile("D:\\autorun.inf", "", kHiddenSystemReadOnly);
  system.AddFile("E:\\autorun.inf", "keep", kHiddenSystemReadOnly);
  Start();
  Confirming();
  system.Answer(kResultYes);
  system.Answer(kResultNo);
  Search();
  EXPECT_EQ(Log(),
            Join({{NotFound("C:")}, ConfirmedYes("D:"), ConfirmedNo("E:")}));
  EXPECT_FALSE(system.Has("D:\\autorun.inf"));
  ASSERT_TRUE(system.Has("E:\\autorun.inf"));
  EXPECT_EQ(system.Find("E:\\autorun.inf")->attributes, 0u);
  EXPECT_EQ(system.Find("E:\\autorun.inf")->contents, "keep");
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].text,
            "Do You Want to Remove Autorun in E:\\autorun.inf");
}

TEST_F(SearchRemoveTest, AnythingButYesCancels) {
  system.AddFile("C:\\autorun.inf");
  Start();
  Confirming();
  system.Answer(kResultCancel);
  Search();
  EXPECT_EQ(Log(), ConfirmedNo("C:"));
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
  EXPECT_EQ(system.calls(Op::Kill), 0);
}

TEST_F(SearchRemoveTest, ModeIsReadOnceForTheWholeWalk) {
  system.AddDrive('D');
  system.AddFile("C:\\autorun.inf");
  system.AddFile("D:\\autorun.inf");
  Start();
  Confirming();
  system.Answer(kResultNo);
  system.Answer(kResultNo);
  // Unchecking the option while the first question waits changes nothing
  // for this walk.
  system.while_box_waits = [&](const fake::ShownBox&) {
    if (W().Get("Check3").Value() == 1) W().Click("Check3");
  };
  Search();
  EXPECT_EQ(Log(), Join({ConfirmedNo("C:"), ConfirmedNo("D:")}));
  EXPECT_EQ(system.boxes.size(), 2u);
}

TEST_F(SearchRemoveTest, DriveListIsRefreshedOnceAtTheStart) {
  system.AddFile("C:\\autorun.inf");
  Start();
  // Inserted after the window was made: the click's refresh lists it.
  system.AddDrive('E');
  system.AddFile("E:\\autorun.inf");
  Confirming();
  for (int i = 0; i < 3; ++i) system.Answer(kResultYes);
  // A drive that arrives while a question waits is not walked this time,
  // and the entries after it keep their rows.
  system.while_box_waits = [&](const fake::ShownBox&) {
    system.AddDrive('D');
    system.AddFile("D:\\autorun.inf");
  };
  Search();
  EXPECT_EQ(Log(), Join({ConfirmedYes("C:"), ConfirmedYes("E:")}));
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
}

TEST_F(SearchRemoveTest, FileMadeReadOnlyAgainWhileAskedIsStillDeleted) {
  system.AddFile("C:\\autorun.inf");
  Start();
  Confirming();
  system.Answer(kResultYes);
  system.while_box_waits = [&](const fake::ShownBox&) {
    system.Find("C:\\autorun.inf")->attributes = fake::kReadOnly;
  };
  Search();
  EXPECT_EQ(Log(), ConfirmedYes("C:"));
  EXPECT_FALSE(system.Has("C:\\autorun.inf"));
}

TEST_F(SearchRemoveTest, FolderNamedAutorunInfIsLeftInPlace) {
  system.AddFile("C:\\autorun.inf", "", fake::kDirectory | fake::kHidden);
  system.AddFile("C:\\autorun.inf\\inside.txt", "data");
  Start();
  Search();
  EXPECT_EQ(Log(), Lines{NotFound("C:")});
  ASSERT_TRUE(system.Has("C:\\autorun.inf"));
  EXPECT_EQ(system.Find("C:\\autorun.inf")->attributes, fake::kDirectory);
  ASSERT_TRUE(system.Has("C:\\autorun.inf\\inside.txt"));
  EXPECT_EQ(system.Find("C:\\autorun.inf\\inside.txt")->contents, "data");
  EXPECT_EQ(system.calls(Op::Kill), 0);
}

// On a write-protected medium a hidden or system file cannot lose its
// attributes, so the existence test passes over it: the log says the
// removal failed, without a question, rather than that there is no file.
// A folder of that name keeps the not-found line. (The asking mode meets
// such a file on the same path, before it would ask.)
TEST_F(SearchRemoveTest, WriteProtectedHiddenFileIsAFailureNotAnAllClear) {
  const std::vector<std::pair<char, unsigned>> drives = {
      {'D', fake::kHidden | fake::kArchive},
      {'E', fake::kSystem},
      {'F', fake::kDirectory | fake::kHidden}};
  for (const auto& [letter, attributes] : drives) {
    system.AddDrive(letter).write_protected = true;
    system.AddFile(std::string{letter} + ":\\autorun.inf", "", attributes);
  }
  Start();
  const Lines expected = {NotFound("C:"), WriteProtected("D:"),
                          WriteProtected("E:"), NotFound("F:")};
  Search();
  EXPECT_EQ(Log(), expected);
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(system.calls(Op::Kill), 0);
  for (const auto& [letter, attributes] : drives)
    EXPECT_EQ(system.Find(std::string{letter} + ":\\autorun.inf")->attributes,
              attributes);
}

TEST_F(SearchRemoveTest, WriteProtectedPlainFileLogsFailureNotRemoval) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Search();
  const std::string path = "D:\\autorun.inf";
  EXPECT_EQ(Log(), (Lines{NotFound("C:"), "Autorun Found in: " + path,
                          "Removing from: " + path,
                          "Autorun Removal Failed: " + path +
                              " (The media is write protected.)"}));
  EXPECT_TRUE(system.Has(path));
}

TEST_F(SearchRemoveTest, WriteProtectedPlainFileConfirmedLogsFailureAlone) {
  system.AddDrive('D').write_protected = true;
  system.AddFile("D:\\autorun.inf");
  Start();
  Confirming();
  system.Answer(kResultYes);
  Search();
  const std::string path = "D:\\autorun.inf";
  EXPECT_EQ(Log(), (Lines{NotFound("C:"), "Autorun Found in: " + path,
                          "Autorun Removal Failed: " + path +
                              " (The media is write protected.)"}));
}

TEST_F(SearchRemoveTest, FileInUseLogsFailureWithTheSystemsReason) {
  system.AddFile("C:\\autorun.inf");
  system.Fail(Op::Kill, "C:\\autorun.inf", fake::kErrSharingViolation);
  Start();
  Search();
  EXPECT_EQ(Log().back(),
            "Autorun Removal Failed: C:\\autorun.inf (The process cannot "
            "access the file because it is being used by another process.)");
  EXPECT_EQ(Log().size(), 3u);
}

TEST_F(SearchRemoveTest, KillThatClaimsSuccessButLeavesTheFileIsAFailure) {
  system.AddFile("C:\\autorun.inf");
  system.KillLies("C:\\autorun.inf");
  Start();
  Search();
  EXPECT_EQ(Log(), (Lines{"Autorun Found in: C:\\autorun.inf",
                          "Removing from: C:\\autorun.inf",
                          "Autorun Removal Failed: C:\\autorun.inf (the file "
                          "is still there)"}));
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
}

TEST_F(SearchRemoveTest, FailedProbeGivesNotReadyLineAndLeavesDriveAlone) {
  system.AddDrive('D');
  system.AddFile("D:\\autorun.inf");
  system.Fail(Op::Probe, "D:", fake::kErrAccessDenied);
  Start();
  Search();
  EXPECT_EQ(Log(), (Lines{NotFound("C:"), NotReady("D:")}));
  EXPECT_TRUE(system.Has("D:\\autorun.inf"));
  EXPECT_EQ(system.calls(Op::Kill), 0);
  EXPECT_EQ(system.CurrentDrive(), "C:");
}

TEST_F(SearchRemoveTest, FailedExistenceTestGivesNotFoundLine) {
  system.AddFile("C:\\autorun.inf");
  system.Fail(Op::Dir, "C:\\autorun.inf", fake::kErrAccessDenied);
  Start();
  Confirming();
  Search();
  EXPECT_EQ(Log(), Lines{NotFound("C:")});
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_TRUE(system.Has("C:\\autorun.inf"));
  EXPECT_EQ(system.calls(Op::Kill), 0);
}

TEST_F(SearchRemoveTest, FailingStepsDoNotStopTheWalk) {
  system.AddDrive('D');
  system.AddDrive('E');
  system.AddFile("D:\\autorun.inf");
  system.AddFile("E:\\autorun.inf");
  system.Fail(Op::ChangeDrive, "D:", fake::kErrAccessDenied);
  system.Fail(Op::Kill, "D:\\autorun.inf", fake::kErrAccessDenied);
  Start();
  Search();
  EXPECT_EQ(Log(), Join({{NotFound("C:"), "Autorun Found in: D:\\autorun.inf",
                          "Removing from: D:\\autorun.inf",
                          "Autorun Removal Failed: D:\\autorun.inf (Access is "
                          "denied.)"},
                         Silent("E:")}));
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
}

class DriveGoesAwayTest : public SearchRemoveTest {
 protected:
  void SetUp() override {
    SearchRemoveTest::SetUp();
    for (char letter : {'D', 'E', 'F'}) {
      system.AddDrive(letter);
      system.AddFile(std::string(1, letter) + ":\\autorun.inf");
    }
    Start();
    W().Click("Check1");  // the drive list refreshes by itself
    Confirming();
  }
  // While the question about `asked` waits, `gone` is taken out and the
  // drive-refresh timer ticks.
  void RemoveWhileAsked(const std::string& asked, char gone) {
    system.while_box_waits = [this, asked, gone](const fake::ShownBox& box) {
      if (box.text.find(asked) == std::string::npos) return;
      system.RemoveDrive(gone);
      W().Tick("Timer2");
    };
  }
};

TEST_F(DriveGoesAwayTest, LaterEntriesMoveUpAndTheVanishedRowIsPassedOver) {
  RemoveWhileAsked("D:", 'E');
  for (int i = 0; i < 3; ++i) system.Answer(kResultYes);
  Search();
  EXPECT_EQ(Log(),
            Join({{NotFound("C:")}, ConfirmedYes("D:"), ConfirmedYes("F:")}));
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].text,
            "Do You Want to Remove Autorun in F:\\autorun.inf");
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
  EXPECT_FALSE(system.Has("F:\\autorun.inf"));
}

TEST_F(DriveGoesAwayTest, TheFileDeletedIsTheFileAskedAbout) {
  RemoveWhileAsked("E:", 'D');
  for (int i = 0; i < 3; ++i) system.Answer(kResultYes);
  Search();
  // The list now reads C:, E:, F:; the walk is past E:'s row, and the row
  // after it is gone.
  EXPECT_EQ(Log(),
            Join({{NotFound("C:")}, ConfirmedYes("D:"), ConfirmedYes("E:")}));
  EXPECT_EQ(system.boxes.size(), 2u);
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  EXPECT_TRUE(system.Has("F:\\autorun.inf"));
  for (const std::string& line : Log())
    EXPECT_EQ(line.find(" \\autorun.inf"), std::string::npos) << line;
}

TEST_F(SearchRemoveTest, SecondClickFindsNothing) {
  system.AddDrive('D');
  system.AddFile("D:\\autorun.inf", "", fake::kHidden);
  Start();
  Search();
  Search();
  EXPECT_EQ(
      Log(),
      Join({{NotFound("C:")}, Silent("D:"), {NotFound("C:"), NotFound("D:")}}));
}

}  // namespace
}  // namespace velmora
