// Which event each path of the program writes, on the fake platform: the
// removals, the arrival look, the repair, the two switches and the guard's
// start, and nothing at all where events are not wanted or nothing was
// found.
#include <gtest/gtest.h>

#include "app/autorun_switch.h"
#include "app/event_record.h"
#include "app/signin_switch.h"
#include "platform/fake/fake_notify_icon.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using fake::Op;
using Ids = std::vector<std::uint16_t>;

constexpr char kContents[] = "[autorun]\r\nopen=x.exe\r\n";
// SHA-256 of kContents.
constexpr char kDigest[] =
    "66ad9605ccf221e9f55a0f8b4974d37cc103ac0c0190db2ee4098541c0ac93fb";

class EventsTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
    system.AddDrive('E');
    events.volumes["E:"] = {"1A2B-3C4D", "STICK", DriveKind::Removable};
  }
  // As the package leaves the machine.
  void Register() {
    registry.Set(Hive::LocalMachine, kEventSourceKey, "TypesSupported", 7);
  }
  void Policy(const char* name, std::uint32_t value) {
    registry.Set(Hive::LocalMachine, kOrgPolicyKey, name, value);
  }
  void StartGuarding() {
    form = std::make_unique<Frmremover>(system, windows, registry, files,
                                        &icons, &events);
    form->LoadGuarding();
  }
  // The strings an event about E:\autorun.inf begins with.
  static std::vector<std::string> FileStrings(const char* cause) {
    return {"E:",        "E:\\autorun.inf",
            "removable", "1A2B-3C4D",
            "STICK",     "23",
            kDigest,     "[autorun][U+000D][U+000A]open=x.exe[U+000D][U+000A]",
            cause,       "PC\\pat"};
  }
  fake::FakeNotifyIconFactory icons;
};

TEST_F(EventsTest, TheSearchRecordsTheDeletedFileAsItWas) {
  Register();
  system.AddFile("E:\\autorun.inf", kContents, fake::kHidden);
  StartForm();
  W().Click("cmdremove");
  ASSERT_EQ(events.Ids(), Ids{kEventAutorunDeleted});
  EXPECT_EQ(events.events[0].level, EventLevel::Warning);
  EXPECT_EQ(events.events[0].strings, FileStrings("search"));
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
}

TEST_F(EventsTest, AFailedDeletionRecordsItsReasonLast) {
  Register();
  system.AddFile("E:\\autorun.inf", kContents);
  system.Drive('E').write_protected = true;
  StartForm();
  W().Click("cmdremove");
  ASSERT_EQ(events.Ids(), Ids{kEventDeletionFailed});
  EXPECT_EQ(events.events[0].level, EventLevel::Error);
  std::vector<std::string> expected = FileStrings("search");
  expected.push_back("The media is write protected.");
  EXPECT_EQ(events.events[0].strings, expected);
}

// Where neither the package nor the policy asks for events, none is
// written and no file is read for one.
TEST_F(EventsTest, WhetherEventsAreWritten) {
  const struct {
    const char* what;
    bool registered;
    int event_log;  // the policy value, -1 for none
    bool written;
  } cases[] = {
      {"a copy from the archive", false, -1, false},
      {"the source registered", true, -1, true},
      {"the policy's EventLog 1", false, 1, true},
      {"the policy's EventLog 0 over the source", true, 0, false},
  };
  for (const auto& c : cases) {
    registry = {};
    events.events.clear();
    if (c.registered) Register();
    if (c.event_log >= 0) Policy("EventLog", c.event_log);
    system.AddFile("E:\\autorun.inf", kContents);
    StartForm();
    const int reads = system.calls(Op::ReadFile);
    W().Click("cmdremove");
    EXPECT_EQ(events.events.size(), c.written ? 1u : 0u) << c.what;
    EXPECT_EQ(system.calls(Op::ReadFile) > reads, c.written) << c.what;
  }
}

TEST_F(EventsTest, AutoRemoveAndArrivalNameThemselves) {
  Register();
  StartForm();
  W().Click("Check2");
  system.AddFile("E:\\autorun.inf", kContents);
  W().Tick("Timer1");
  system.AddDrive('F');
  system.AddFile("F:\\autorun.inf", kContents);
  W().SendDeviceArrival(Letters("F"));
  ASSERT_EQ(events.Ids(), (Ids{kEventAutorunDeleted, kEventAutorunDeleted}));
  EXPECT_EQ(events.events[0].strings[8], "Auto Remove");
  EXPECT_EQ(events.events[1].strings[1], "F:\\autorun.inf");
  EXPECT_EQ(events.events[1].strings[8], "arrival");
}

// An hour of Timer1's ticks (900 ms each) over clean drives.
TEST_F(EventsTest, AnHourOfGuardingOverCleanDrivesWritesNothing) {
  Register();
  StartGuarding();
  const std::size_t at_start = events.events.size();
  for (int tick = 0; tick < 4000; ++tick) W().Tick("Timer1");
  EXPECT_EQ(events.events.size(), at_start);
}

TEST_F(EventsTest, AGuardStartIsRecordedOnceWithWhatPolicySets) {
  Register();
  Policy("AutoRemove", 1);
  StartGuarding();
  W().ChooseMenuItem("Guard from the Notification Area");
  ASSERT_EQ(events.Ids(), Ids{kEventGuardStarted});
  const std::vector<std::string>& s = events.events[0].strings;
  ASSERT_EQ(s.size(), 3u);
  EXPECT_FALSE(s[0].empty());  // the version
  EXPECT_EQ(s[1], "AutoRemove=1");
  EXPECT_EQ(s[2], "PC\\pat");
}

TEST_F(EventsTest, AWormAtArrivalIsRecordedWithWhatItStarts) {
  Register();
  StartForm();
  W().Click("Check2");
  AddWormStick('F');
  W().SendDeviceArrival(Letters("F"));
  ASSERT_EQ(events.Ids(), Ids{kEventWormFound});
  const std::vector<std::string>& s = events.events[0].strings;
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[0], "F:");
  EXPECT_EQ(s[2], "1");
  EXPECT_NE(s[3].find("rundll32.exe"), std::string::npos) << s[3];
  EXPECT_EQ(s[4], "");
}

TEST_F(EventsTest, ARepairRecordsItsEnd) {
  Register();
  AddWormStick('F');
  system.SetCurrent('F');
  StartForm();
  system.Answer(kResultYes);
  ASSERT_TRUE(W().ChooseMenuItem("Repair Hidden Files on F:\xE2\x80\xA6"));
  while (W().Stepping()) W().Step();
  ASSERT_EQ(events.Ids(), Ids{kEventRepairDone});
  EXPECT_EQ(events.events[0].strings,
            (std::vector<std::string>{"F:", "1", "0", "0"}));
}

TEST_F(EventsTest, TheSwitchesAreRecorded) {
  Register();
  StartForm();
  ASSERT_TRUE(W().ChooseMenuItem(kTurnOffAutorunText));
  ASSERT_TRUE(W().ChooseMenuItem(kSigninText));
  ASSERT_EQ(events.Ids(), (Ids{kEventAutorunSwitched, kEventSigninSwitched}));
  EXPECT_EQ(events.events[0].strings[0], "off");
  EXPECT_EQ(events.events[1].strings[0], "on");
}

TEST(ControlsByCodePointTest, WritesControlsAndCutsByCharacters) {
  EXPECT_EQ(ControlsByCodePoint("a\tb\x7F\xC2\x85\xC3\xA9", 10),
            "a[U+0009]b[U+007F][U+0085]\xC3\xA9");
  EXPECT_EQ(ControlsByCodePoint("\xC3\xA9\xC3\xA9\xC3\xA9", 2),
            "\xC3\xA9\xC3\xA9");
}

}  // namespace
}  // namespace velmora
