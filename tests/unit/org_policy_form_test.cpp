// What the organization's policy does to the running program on the fake
// platform: forced option boxes, greyed menu items, guarding and the
// user's sign-in entry, the log lines, and a policy applied anew.
#include <gtest/gtest.h>

#include "app/autorun_policy.h"
#include "app/autorun_switch.h"
#include "platform/fake/fake_notify_icon.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

constexpr Hive kMachine = Hive::LocalMachine;
constexpr Hive kUser = Hive::CurrentUser;
const std::string kCommand = "\"C:\\Tools\\velmora.exe\" /guard";
constexpr char kGuardItem[] = "Guard from the Notification Area";

class OrgPolicyFormTest : public FormTest {
 protected:
  void SetUp() override { system.AddDrive('C'); }
  void Policy(const char* name, std::uint32_t value, Hive hive = kMachine) {
    registry.Set(hive, kOrgPolicyKey, name, value);
  }
  void Start(bool guarding = false) {
    form =
        std::make_unique<Frmremover>(system, windows, registry, files, &icons);
    guarding ? form->LoadGuarding() : form->Load();
  }
  // The menu item whose text begins with `start`.
  MenuCommand Item(std::string_view start) {
    for (const MenuCommand& item : W().MenuItems())
      if (item.text.starts_with(start)) return item;
    ADD_FAILURE() << "no menu item " << start;
    return {};
  }
  std::optional<std::string> UserRun() {
    return registry.GetString(kUser, kRunKey, kSigninValue);
  }
  fake::FakeNotifyIconFactory icons;
};

// Each forcing value: the box shows it, with its own caption, disabled, and
// a click changes nothing; Auto Remove's timer follows the box.
TEST_F(OrgPolicyFormTest, AForcedBoxShowsItsValueAndTakesNoClick) {
  struct Case {
    const char* value;
    std::uint32_t set;
    const char* box;
    const char* caption;
    bool timer;
  };
  const Case cases[] = {
      {"AutoRemove", 1, "Check2", "Auto Remove w/o Notification", true},
      {"AutoRemove", 0, "Check2", "Auto Remove w/o Notification", false},
      {"NotifyWhenRemoving", 1, "Check3", "Notify When Removing ", false},
      {"NotifyWhenRemoving", 0, "Check3", "Notify When Removing ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + "=" + std::to_string(c.set));
    registry = fake::FakeRegistry();
    Policy(c.value, c.set);
    Start();
    fake::FakeWidget& box = W().Get(c.box);
    EXPECT_EQ(box.Value(), static_cast<int>(c.set));
    EXPECT_FALSE(box.Enabled());
    EXPECT_EQ(box.Text(), c.caption);
    W().Click(c.box);
    EXPECT_EQ(box.Value(), static_cast<int>(c.set));
    EXPECT_EQ(W().TimerEnabled("Timer1"), c.timer);
    EXPECT_TRUE(W().Get(c.box == std::string("Check2") ? "Check3" : "Check2")
                    .Enabled());
    form.reset();
  }
}

// The values that take a feature away grey its item, which then does
// nothing; audit only takes away both items that change a drive or the
// system's settings.
TEST_F(OrgPolicyFormTest, UnavailableItemsAreGreyedAsSetByTheOrganization) {
  struct Case {
    const char* value;
    std::uint32_t set;
    bool repair, autorun;  // available
  };
  const Case cases[] = {
      {"Repair", 0, false, true},        {"Repair", 1, true, true},
      {"AutoRunSwitch", 0, true, false}, {"AuditOnly", 1, false, false},
      {"AuditOnly", 0, true, true},
  };
  const std::string autorun_greyed =
      std::string(kTurnOffAutorunText) + kSetByOrganization;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + "=" + std::to_string(c.set));
    registry = fake::FakeRegistry();
    Policy(c.value, c.set);
    Start();
    const MenuCommand repair = Item("Repair Hidden Files on C:");
    EXPECT_EQ(repair.greyed, !c.repair);
    EXPECT_EQ(repair.text.ends_with(kSetByOrganization), !c.repair);
    const MenuCommand autorun = Item(kTurnOffAutorunText);
    EXPECT_EQ(autorun.greyed, !c.autorun);
    EXPECT_EQ(autorun.text == autorun_greyed, !c.autorun);
    EXPECT_EQ(W().ChooseMenuItem(autorun.text), c.autorun);
    EXPECT_EQ(registry.HasKey(kUser, kPoliciesKey), c.autorun);
    form.reset();
  }
}

// Once at start: what is set, then each value ignored. A policy applied
// anew is read again: a change forces and frees the boxes and gets its own
// line; the same policy again writes nothing.
TEST_F(OrgPolicyFormTest, TheLogSaysWhatIsSetAndAChangeIsFollowed) {
  Policy("NotifyWhenRemoving", 1);
  Policy("Repair", 5, kUser);
  Start();
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Set by your organization: NotifyWhenRemoving=1",
                       "Policy value ignored: "
                       "HKCU\\Software\\Policies\\Velmora\\Repair (5 is "
                       "neither 0 nor 1)"}));
  W().SendPolicyChange();
  EXPECT_EQ(Log().size(), 2u);

  registry = fake::FakeRegistry();
  Policy("AutoRemove", 1, kUser);
  W().SendPolicyChange();
  EXPECT_EQ(Log().back(), "Set by your organization: AutoRemove=1");
  EXPECT_EQ(W().Get("Check2").Value(), 1);
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  EXPECT_TRUE(W().Get("Check3").Enabled());
  EXPECT_EQ(W().Get("Check3").Value(), 1);  // left as it was forced

  registry = fake::FakeRegistry();
  W().SendPolicyChange();
  EXPECT_EQ(Log().back(), kOrgPolicyNoneLine);
  EXPECT_TRUE(W().Get("Check2").Enabled());
  EXPECT_EQ(W().Get("Check2").Value(), 1);
}

// Guard 1: a plain start guards too, the window staying; the user's own
// sign-in entry is written once; both items are checked and greyed.
TEST_F(OrgPolicyFormTest, GuardOneGuardsAndWritesTheUsersSigninEntry) {
  Policy("Guard", 1);
  Start();
  EXPECT_TRUE(W().Visible());
  EXPECT_TRUE(form->Guarding());
  EXPECT_EQ(W().Get("Check2").Value(), 1);
  EXPECT_EQ(UserRun(), kCommand);
  EXPECT_EQ(Log().back(), SigninWrittenLine(kCommand));
  for (const std::string item : {kSigninText, kGuardItem}) {
    const MenuCommand got = Item(item);
    EXPECT_EQ(got.text, item + kSetByOrganization);
    EXPECT_TRUE(got.checked);
    EXPECT_TRUE(got.greyed);
  }
  const std::size_t lines = Log().size();
  form.reset();
  Start(true);
  EXPECT_EQ(Log().size(), lines - 1);  // the policy line, not the write
  EXPECT_FALSE(W().Visible());
}

// Where the machine's Run value starts this program (the package's
// every-user entry), the user's own is never added: not under Guard 1, not
// from the item, which shows checked and greyed.
TEST_F(OrgPolicyFormTest, TheMachinesEntryTakesThePlaceOfTheUsers) {
  registry.SetString(kMachine, kRunKey, kSigninValue,
                     "\"c:\\tools\\VELMORA.EXE\" /guard");
  Start();
  const MenuCommand item = Item(kSigninText);
  EXPECT_EQ(item.text, kSigninForEveryUserText);
  EXPECT_TRUE(item.checked);
  EXPECT_TRUE(item.greyed);
  EXPECT_FALSE(W().ChooseMenuItem(item.text));
  form.reset();
  Policy("Guard", 1);
  Start();
  EXPECT_FALSE(UserRun());

  // Another program's path there is not this program's entry.
  registry.SetString(kMachine, kRunKey, kSigninValue,
                     "\"C:\\Other\\velmora.exe\" /guard");
  form.reset();
  Start();
  EXPECT_EQ(UserRun(), kCommand);
}

// Guard 0: a /guard start opens the window; the user's own values go, each
// with its line; both items are greyed unchecked; a change to Guard 0 while
// guarding ends guarding and shows the window.
TEST_F(OrgPolicyFormTest, GuardZeroForbidsGuardingAndRemovesTheUsersEntry) {
  registry.SetString(kUser, kRunKey, kSigninValue, kCommand);
  registry.SetBinary(kUser, kStartupApprovedKey, kSigninValue, "\x03");
  Policy("Guard", 0);
  Start(true);
  EXPECT_TRUE(W().Visible());
  EXPECT_FALSE(form->Guarding());
  EXPECT_FALSE(registry.HasValue(kUser, kRunKey, kSigninValue));
  EXPECT_FALSE(registry.HasValue(kUser, kStartupApprovedKey, kSigninValue));
  EXPECT_EQ(Log(),
            (std::vector<std::string>{"Set by your organization: Guard=0",
                                      SigninRemovedLine(kRunKey),
                                      SigninRemovedLine(kStartupApprovedKey)}));
  for (const std::string item : {kSigninText, kGuardItem}) {
    const MenuCommand got = Item(item);
    EXPECT_FALSE(got.checked);
    EXPECT_TRUE(got.greyed);
  }

  form.reset();
  registry = fake::FakeRegistry();
  Start(true);
  ASSERT_TRUE(form->Guarding());
  Policy("Guard", 0);
  W().SendPolicyChange();
  EXPECT_FALSE(form->Guarding());
  EXPECT_TRUE(W().Visible());
}

}  // namespace
}  // namespace velmora
