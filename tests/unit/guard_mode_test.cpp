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
    form = std::make_unique<Frmremover>(system, windows, registry, files,
                                        &icons, &events);
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
    AddWormStick(letter);
    W().SendDeviceArrival(Letters(std::string{letter}));
  }

  fake::FakeNotifyIconFactory icons;
};

// What the end-to-end test of a /guard start cannot see: the window never
// shows on its way to hiding, the tooltip, no notification at start, and
// the timer going on behind a window closed again. Signing out ends it
// without asking.
TEST_F(GuardModeTest, AGuardStartNeverShowsTheWindowAndItsCloseKeepsGuarding) {
  Start(true);
  EXPECT_TRUE(W().Loaded());
  EXPECT_EQ(W().shows, 0);
  EXPECT_EQ(Icon().tooltip(), kRemovingTip);
  EXPECT_EQ(W().TimerInterval("Timer1"), 900u);
  EXPECT_TRUE(Icon().balloons.empty());
  EXPECT_TRUE(system.boxes.empty());
  Icon().Select();
  EXPECT_TRUE(W().Visible());
  W().Close();
  EXPECT_TRUE(W().Loaded());
  EXPECT_FALSE(system.ended);
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  W().EndSession();
  EXPECT_TRUE(system.ended);
  EXPECT_TRUE(system.boxes.empty());
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

// The add fails while Explorer is busy at sign-in, and no new notification
// area is announced: it is tried again after 1, 2, 4 and 8 s. Until a try
// succeeds the window shows and its close ends the program, with no try
// left; after, the close hides it, and Exit leaves no icon behind.
TEST_F(GuardModeTest, AFailedAddIsTriedAgainAfterOneTwoFourAndEightSeconds) {
  icons.has_area = false;
  Start(true);
  std::vector<long long> delays;
  for (; W().LaterDelay(); W().RunLaterNow())
    delays.push_back(W().LaterDelay()->count());
  EXPECT_EQ(delays, (std::vector<long long>{1000, 2000, 4000, 8000}));
  EXPECT_TRUE(W().Visible());
  form.reset();
  Start(true);
  W().Close();
  EXPECT_TRUE(system.ended);
  EXPECT_FALSE(W().LaterDelay());

  form.reset();
  Start(true);
  ASSERT_TRUE(W().RunLaterNow());
  icons.has_area = true;  // at the second try
  ASSERT_TRUE(W().RunLaterNow());
  EXPECT_EQ(Icon().tooltip(), kRemovingTip);
  EXPECT_FALSE(W().LaterDelay());
  W().Close();
  EXPECT_FALSE(W().Visible());
  ASSERT_TRUE(Icon().ChooseMenuItem("Exit"));
  EXPECT_FALSE(Icon().Added());
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

// Each walk notifies what it logged, once: a tick's deletion and failure
// (not device feedback), then nothing while the drives stay clean or keep
// failing; an arrival's deletion is device feedback.
TEST_F(GuardModeTest, EachWalkNotifiesWhatItLoggedOnce) {
  system.AddDrive('G');
  Start(true);
  system.AddFile("E:\\autorun.inf");
  system.AddFile("G:\\autorun.inf");
  system.Drive('G').write_protected = true;
  W().Tick("Timer1");
  ASSERT_EQ(Icon().balloons.size(), 1u);
  EXPECT_EQ(Icon().balloons[0].text,
            "Removed autorun.inf from E:.\n"
            "Could not remove autorun.inf from G:.");
  EXPECT_FALSE(Icon().balloons[0].device_feedback);
  for (int i = 0; i < 3; ++i) W().Tick("Timer1");
  EXPECT_EQ(Icon().balloons.size(), 1u);
  system.AddDrive('F');
  files.AddDrive('F');
  system.AddFile("F:\\autorun.inf");
  W().SendDeviceArrival(Letters("F"));
  ASSERT_EQ(Icon().balloons.size(), 2u);
  EXPECT_EQ(Icon().balloons[1].text, "Removed autorun.inf from F:.");
  EXPECT_TRUE(Icon().balloons[1].device_feedback);
}

// Wherever Auto Remove acts on an arrival, in the window or guarding, the
// arrived root is looked at and a worm logged; only guarding notifies.
// Without Auto Remove nothing is looked at. A start without guarding has no
// icon, and closing its window ends the program as it always did.
TEST_F(GuardModeTest, AWormStickIsLookedAtWhereAutoRemoveActs) {
  const struct {
    bool guarding, auto_remove;
    char letter;
  } cases[] = {
      {true, true, 'F'},
      {true, false, 'G'},
      {false, true, 'H'},
      {false, false, 'I'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.guarding ? "guarding" : "in the window") +
                 (c.auto_remove ? ", Auto Remove on" : ", Auto Remove off"));
    form.reset();
    Start(c.guarding);
    if ((W().Get("Check2").Value() == 1) != c.auto_remove) W().Click("Check2");
    WormStickArrives(c.letter);
    const std::string root = std::string{c.letter, ':', '\\'};
    if (!c.auto_remove) {
      EXPECT_TRUE(Log().empty());
    } else {
      ASSERT_EQ(Log().size(), 1u);
      EXPECT_TRUE(
          Log()[0].starts_with("Shortcut Worm Found on: " + root + " (1 "))
          << Log()[0];
    }
    if (!c.guarding) {
      EXPECT_EQ(icons.icon, nullptr);
      W().Close();
      EXPECT_TRUE(system.ended);
      system.ended = false;
      continue;
    }
    ASSERT_EQ(Icon().balloons.size(), c.auto_remove ? 1u : 0u);
    if (c.auto_remove)
      EXPECT_EQ(Icon().balloons[0].title, "Shortcut Worm Found");
  }
}

// A click on a worm's notification opens the window on that drive with
// the repair's Yes/No question, and nothing changes without its Yes. While
// that repair runs, another worm's click leaves it alone: the window shows
// on that drive, and the log says what to do.
TEST_F(GuardModeTest, AWormsNotificationOpensTheRepairsQuestion) {
  Start(true);
  WormStickArrives('F');
  Icon().ClickBalloon();  // the repair of F: starts; its question comes next
  EXPECT_TRUE(W().Visible());
  EXPECT_EQ(Drive1().Drive(), "F:");
  WormStickArrives('G');
  const auto before = files.Snapshot();
  Icon().ClickBalloon();
  EXPECT_EQ(Drive1().Drive(), "G:");
  EXPECT_EQ(Log().back(), RepairWaitsLine("G:"));
  EXPECT_EQ(RepairWaitsLine("G:"),
            "A repair is running: choose Repair Hidden Files on G: once it "
            "has ended");
  W().Step();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].title, kRepairTitle);
  EXPECT_EQ(system.boxes[0].flags, kRepairQuestionFlags);
  EXPECT_NE(system.boxes[0].text.find("F:"), std::string::npos)
      << system.boxes[0].text;
  // Answered No (the fake's answer without a script): nothing changes.
  EXPECT_EQ(files.Snapshot(), before);
}

}  // namespace
}  // namespace velmora
