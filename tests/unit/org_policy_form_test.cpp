// What the organization's policy does to the running program on the fake
// platform: forced boxes, greyed menu items, guarding and the user's
// sign-in entry, the log lines, and a policy applied anew.
#include <gtest/gtest.h>

#include "app/autorun_switch.h"
#include "platform/fake/fake_notify_icon.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

constexpr Hive kMachine = Hive::LocalMachine, kUser = Hive::CurrentUser;
const std::string kCommand = "\"C:\\Tools\\velmora.exe\" /guard";
const std::string kGuardItem = "Guard from the Notification Area";

class OrgPolicyFormTest : public FormTest {
 protected:
  void SetUp() override { system.AddDrive('C'); }
  void Policy(const char* name, std::uint32_t value, Hive hive = kMachine) {
    registry.Set(hive, kOrgPolicyKey, name, value);
  }
  void Start(bool guarding = false) {
    form.reset();
    form =
        std::make_unique<Frmremover>(system, windows, registry, files, &icons);
    guarding ? form->LoadGuarding() : form->Load();
  }
  // The menu item whose text begins with `start`, as "text [x] greyed".
  std::string Item(std::string_view start) {
    for (const MenuCommand& item : W().MenuItems())
      if (item.text.starts_with(start))
        return item.text + (item.checked ? " [x]" : "") +
               (item.greyed ? " greyed" : "");
    return "none";
  }
  std::optional<std::string> UserRun() {
    return registry.GetString(kUser, kRunKey, kSigninValue);
  }
  fake::FakeNotifyIconFactory icons;
};

// A forced box shows its value, disabled, and takes no click; the timer of
// Auto Remove follows it. Values that take a feature away grey its item;
// audit only greys both items that change a drive or the system.
TEST_F(OrgPolicyFormTest, ForcedBoxesAndGreyedItems) {
  const std::string repair = "Repair Hidden Files on C:";
  const std::string autorun = kTurnOffAutorunText;
  const std::string set = kSetByOrganization;
  struct Case {
    const char* value;
    std::uint32_t set;
    int check2, check3;  // -1: free
    bool repair, autorun;
  };
  const Case cases[] = {
      {"AutoRemove", 1, 1, -1, true, true},
      {"AutoRemove", 0, 0, -1, true, true},
      {"NotifyWhenRemoving", 1, -1, 1, true, true},
      {"Repair", 0, -1, -1, false, true},
      {"AutoRunSwitch", 0, -1, -1, true, false},
      {"AuditOnly", 1, -1, -1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + "=" + std::to_string(c.set));
    registry = fake::FakeRegistry();
    Policy(c.value, c.set);
    Start();
    for (auto [box, forced] :
         {std::pair{"Check2", c.check2}, {"Check3", c.check3}}) {
      W().Click(box);
      EXPECT_EQ(W().Get(box).Enabled(), forced < 0) << box;
      if (forced >= 0) EXPECT_EQ(W().Get(box).Value(), forced) << box;
    }
    EXPECT_EQ(W().TimerEnabled("Timer1"), W().Get("Check2").Value() == 1);
    EXPECT_EQ(Item(repair),
              c.repair ? repair + "…" : repair + "…" + set + " greyed");
    EXPECT_EQ(Item(autorun) == autorun + set + " greyed", !c.autorun);
    EXPECT_EQ(W().ChooseMenuItem(autorun), c.autorun);
  }
}

// Once at start: what is set, then each value ignored. A policy applied
// anew gets its line where it differs, and frees what it no longer forces.
TEST_F(OrgPolicyFormTest, TheLogSaysWhatIsSetAndAChangeIsFollowed) {
  Policy("NotifyWhenRemoving", 1);
  Policy("Repair", 5, kUser);
  Start();
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Set by your organization: NotifyWhenRemoving=1",
                       "Policy value ignored: HKCU\\Software\\Policies\\"
                       "Velmora\\Repair (5 is neither 0 nor 1)"}));
  W().SendPolicyChange();
  EXPECT_EQ(Log().size(), 2u);
  registry = fake::FakeRegistry();
  Policy("AutoRemove", 1, kUser);
  W().SendPolicyChange();
  EXPECT_EQ(Log().back(), "Set by your organization: AutoRemove=1");
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  EXPECT_TRUE(W().Get("Check3").Enabled());
  registry = fake::FakeRegistry();
  W().SendPolicyChange();
  EXPECT_EQ(Log().back(), kOrgPolicyNoneLine);
  EXPECT_TRUE(W().Get("Check2").Enabled());
}

// Guard 1: a plain start guards too, the window staying; the user's own
// sign-in entry is written, unless the machine's Run value (the package's)
// starts this program: then neither policy nor the item adds it.
TEST_F(OrgPolicyFormTest, GuardOneAndTheMachinesEntry) {
  Policy("Guard", 1);
  Start();
  EXPECT_TRUE(W().Visible() && form->Guarding());
  EXPECT_EQ(UserRun(), kCommand);
  EXPECT_EQ(Log().back(), SigninWrittenLine(kCommand));
  EXPECT_EQ(Item(kSigninText),
            kSigninText + std::string(kSetByOrganization) + " [x] greyed");
  EXPECT_EQ(Item(kGuardItem), kGuardItem + kSetByOrganization + " [x] greyed");

  registry = fake::FakeRegistry();
  registry.SetString(kMachine, kRunKey, kSigninValue,
                     "\"c:\\tools\\VELMORA.EXE\" /guard");
  Start();
  EXPECT_EQ(Item(kSigninText),
            kSigninForEveryUserText + std::string(" [x] greyed"));
  Policy("Guard", 1);
  Start();
  EXPECT_FALSE(UserRun());
}

// Guard 0: a /guard start opens the window, the user's own values go, each
// with its line, and the items are greyed unchecked; a change to Guard 0
// while guarding ends guarding and shows the window.
TEST_F(OrgPolicyFormTest, GuardZeroForbidsGuardingAndRemovesTheUsersEntry) {
  registry.SetString(kUser, kRunKey, kSigninValue, kCommand);
  registry.SetBinary(kUser, kStartupApprovedKey, kSigninValue, "\x03");
  Policy("Guard", 0);
  Start(true);
  EXPECT_TRUE(W().Visible());
  EXPECT_FALSE(form->Guarding());
  EXPECT_EQ(Log(),
            (std::vector<std::string>{"Set by your organization: Guard=0",
                                      SigninRemovedLine(kRunKey),
                                      SigninRemovedLine(kStartupApprovedKey)}));
  EXPECT_EQ(Item(kGuardItem), kGuardItem + kSetByOrganization + " greyed");

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
