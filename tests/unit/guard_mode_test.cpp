// Guard mode on the fake platform: the hidden window, the icon with its
// tooltip, menu and clicks, closing and ending, and the notifications of
// what the automatic removal and the arrival look logged.
#include <gtest/gtest.h>

#include "app/guard_notices.h"
#include "platform/fake/fake_notify_icon.h"
#include "repair/repair_texts.h"
#include "tests/unit/form_test.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

constexpr char kRemovingTip[] =
    "Velmora - removing autorun.inf from every drive";
constexpr char kOffTip[] = "Velmora - Auto Remove is off";

class GuardModeTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('E');
    system.SetCurrent('C');
  }
  void Start(bool guarding) {
    form =
        std::make_unique<Frmremover>(system, windows, registry, files, &icons);
    guarding ? form->LoadGuarding() : form->Load();
  }
  fake::FakeNotifyIcon& Icon() { return *icons.icon; }
  std::vector<std::string> MenuTexts() {
    std::vector<std::string> texts;
    for (const MenuCommand& item : Icon().OpenedMenu())
      texts.push_back(item.text + (item.checked ? " [x]" : ""));
    return texts;
  }
  // A stick with a worm shortcut arrives as `letter`.
  void WormStickArrives(char letter = 'F') {
    const std::string root = std::string{letter, ':', '\\'};
    system.AddDrive(letter);
    files.AddDrive(letter);
    files.AddFolder(root + "_", kHiddenSystemFolder);
    files.AddFile(root + "_\\x.dll", "MZ worm", kHiddenSystem);
    files.AddFile(
        root + "Photos.lnk",
        LinkTo("C:\\Windows\\System32\\rundll32.exe", "_\\x.dll,Run"));
    W().SendDeviceArrival(Letters(std::string{letter}));
  }

  fake::FakeNotifyIconFactory icons;
};

TEST_F(GuardModeTest, AGuardStartShowsNoWindowAndGuardsFromTheIcon) {
  Start(true);
  EXPECT_TRUE(W().Loaded());
  EXPECT_FALSE(W().Visible());
  EXPECT_EQ(W().shows, 0);
  ASSERT_NE(icons.icon, nullptr);
  EXPECT_TRUE(Icon().Added());
  EXPECT_EQ(Icon().tooltip(), kRemovingTip);
  EXPECT_EQ(W().Get("Check2").Value(), 1);
  EXPECT_EQ(W().TimerInterval("Timer1"), 900u);
  EXPECT_TRUE(Icon().balloons.empty());
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(GuardModeTest, AStartWithoutGuardingHasNoIconAndNoNotifications) {
  system.AddFile("E:\\autorun.inf");
  Start(false);
  EXPECT_TRUE(W().Visible());
  W().Click("Check2");
  W().Tick("Timer1");
  EXPECT_EQ(icons.icon, nullptr);
  // Closing ends the program as it always did.
  W().Close();
  EXPECT_TRUE(system.ended);
}

// No notification area yet (a shell slower than the program at sign-in) or
// none at all: the window shows, and closing it ends the program, as
// nothing could bring it back. Once an area is made the icon comes, and the
// shown window then hides when closed.
TEST_F(GuardModeTest, WithoutANotificationAreaTheWindowShowsUntilTheIconComes) {
  icons.has_area = false;
  Start(true);
  EXPECT_TRUE(W().Visible());
  EXPECT_FALSE(form->Guarding());
  EXPECT_EQ(W().Get("Check2").Value(), 1);
  icons.has_area = true;
  Icon().AreaMadeAnew();
  EXPECT_TRUE(Icon().Added());
  EXPECT_TRUE(form->Guarding());
  EXPECT_TRUE(W().Visible());
  W().Close();
  EXPECT_FALSE(W().Visible());
  EXPECT_FALSE(system.ended);

  form.reset();
  icons.has_area = false;
  Start(true);
  W().Close();
  EXPECT_TRUE(system.ended);
}

TEST_F(GuardModeTest, TheIconsClickShowsTheWindowAndClosingHidesItAgain) {
  Start(true);
  Icon().Select();
  EXPECT_TRUE(W().Visible());
  W().Close();
  EXPECT_FALSE(W().Visible());
  EXPECT_TRUE(W().Loaded());
  EXPECT_FALSE(system.ended);
  EXPECT_TRUE(Icon().Added());
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
}

TEST_F(GuardModeTest, TheIconsMenuSwitchesAutoRemoveAsItsBoxDoes) {
  Start(true);
  EXPECT_EQ(MenuTexts(), (std::vector<std::string>{
                             "Open Velmora", "Auto Remove w/o Notification [x]",
                             "", "Exit"}));
  EXPECT_EQ(Icon().default_item, 0u);
  ASSERT_TRUE(Icon().ChooseMenuItem("Auto Remove w/o Notification"));
  EXPECT_EQ(W().Get("Check2").Value(), 0);
  EXPECT_FALSE(W().TimerEnabled("Timer1"));
  EXPECT_EQ(Icon().tooltip(), kOffTip);
  W().Click("Check2");  // the box itself, in the window
  EXPECT_EQ(Icon().tooltip(), kRemovingTip);
  ASSERT_TRUE(Icon().ChooseMenuItem("Open Velmora"));
  EXPECT_TRUE(W().Visible());
}

TEST_F(GuardModeTest, ExitEndsTheProgramAndTakesTheIconAway) {
  Start(true);
  ASSERT_TRUE(Icon().ChooseMenuItem("Exit"));
  EXPECT_TRUE(system.ended);
  EXPECT_FALSE(Icon().Added());
  EXPECT_FALSE(W().TimerEnabled("Timer1"));
}

TEST_F(GuardModeTest, SigningOutEndsWithoutAsking) {
  Start(true);
  W().EndSession();
  EXPECT_TRUE(system.ended);
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(GuardModeTest, TheWindowsMenusStartGuarding) {
  Start(false);
  ASSERT_TRUE(W().ChooseMenuItem("Guard from the Notification Area"));
  EXPECT_FALSE(W().Visible());
  ASSERT_NE(icons.icon, nullptr);
  EXPECT_TRUE(Icon().Added());
  EXPECT_EQ(W().Get("Check2").Value(), 1);
  bool checked = false;
  for (const MenuCommand& item : W().MenuItems())
    if (item.text == "Guard from the Notification Area") checked = item.checked;
  EXPECT_TRUE(checked);
}

TEST_F(GuardModeTest, ATickThatDeletesNotifiesOnceAndRespectsQuietTime) {
  Start(true);
  system.AddFile("E:\\autorun.inf");
  W().Tick("Timer1");
  ASSERT_EQ(Icon().balloons.size(), 1u);
  EXPECT_EQ(Icon().balloons[0].text, "Removed autorun.inf from E:.");
  EXPECT_FALSE(Icon().balloons[0].device_feedback);
  W().Tick("Timer1");  // clean now
  EXPECT_EQ(Icon().balloons.size(), 1u);
}

TEST_F(GuardModeTest, AFailedDeletionNotifiesOnceWhileItKeepsFailing) {
  Start(true);
  system.AddFile("E:\\autorun.inf");
  system.Drive('E').write_protected = true;
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  ASSERT_EQ(Icon().balloons.size(), 1u);
  EXPECT_EQ(Icon().balloons[0].title, "Autorun Removal Failed");
}

TEST_F(GuardModeTest, AnArrivalsDeletionIsDeviceFeedback) {
  Start(true);
  system.AddDrive('F');
  files.AddDrive('F');
  system.AddFile("F:\\autorun.inf");
  W().SendDeviceArrival(Letters("F"));
  ASSERT_EQ(Icon().balloons.size(), 1u);
  EXPECT_TRUE(Icon().balloons[0].device_feedback);
}

TEST_F(GuardModeTest, AWormStickIsLoggedAndItsNotificationOpensTheRepair) {
  Start(true);
  WormStickArrives();
  ASSERT_FALSE(Log().empty());
  EXPECT_TRUE(Log().back().starts_with("Shortcut Worm Found on: F:\\ (1 "))
      << Log().back();
  ASSERT_EQ(Icon().balloons.size(), 1u);
  EXPECT_EQ(Icon().balloons[0].title, "Shortcut Worm Found");
  const auto before = files.Snapshot();
  Icon().ClickBalloon();
  EXPECT_TRUE(W().Visible());
  EXPECT_EQ(Drive1().Drive(), "F:");
  W().Step();
  ASSERT_FALSE(system.boxes.empty());
  EXPECT_EQ(system.boxes.back().title, kRepairTitle);
  EXPECT_EQ(system.boxes.back().flags, kRepairQuestionFlags);
  // Answered No (the fake's answer without a script): nothing changes.
  EXPECT_EQ(files.Snapshot(), before);
}

// A click on a worm's notification while a repair runs leaves that repair
// alone: the window shows on the drive, and the log says what to do.
TEST_F(GuardModeTest, AWormsNotificationLeavesARunningRepairAlone) {
  Start(true);
  WormStickArrives('F');
  Icon().ClickBalloon();  // the repair of F: starts; its question comes next
  WormStickArrives('G');
  Icon().ClickBalloon();
  EXPECT_TRUE(W().Visible());
  EXPECT_EQ(Drive1().Drive(), "G:");
  EXPECT_EQ(Log().back(), RepairWaitsLine("G:"));
  EXPECT_EQ(RepairWaitsLine("G:"),
            "A repair is running: choose Repair Hidden Files on G: once it "
            "has ended");
  W().Step();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_NE(system.boxes[0].text.find("F:"), std::string::npos)
      << system.boxes[0].text;
}

TEST_F(GuardModeTest, InTheWindowAWormStickIsLoggedToo) {
  Start(false);
  W().Click("Check2");
  WormStickArrives();
  ASSERT_FALSE(Log().empty());
  EXPECT_TRUE(Log().back().starts_with("Shortcut Worm Found on: F:\\"));
  EXPECT_EQ(icons.icon, nullptr);
}

TEST_F(GuardModeTest, WithoutAutoRemoveAnArrivalIsNotLookedAt) {
  Start(false);
  WormStickArrives();
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace velmora
