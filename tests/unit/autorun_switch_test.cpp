// The AutoRun switch in the main window's menus, on the in-memory registry:
// turning AutoRun off and back on, what is put back, the administrator's
// settings, and writes that fail.
#include "app/autorun_switch.h"

#include <gtest/gtest.h>

#include "form_test.h"

namespace velmora {
namespace {

using Lines = std::vector<std::string>;
constexpr Hive kUser = Hive::CurrentUser, kMachine = Hive::LocalMachine;

class AutorunSwitchTest : public FormTest {
 protected:
  void SetUp() override { system.AddDrive('C'); }
  // The AutoRun item, the first of the menus' items, as they show it now.
  MenuCommand Item() {
    const std::vector<MenuCommand> items = W().MenuItems();
    EXPECT_GE(items.size(), 2u);
    return items.empty() ? MenuCommand{} : items[0];
  }
  bool Choose() { return W().ChooseMenuItem(kTurnOffAutorunText); }
  std::optional<std::uint32_t> Policy(const char* name, Hive hive = kUser) {
    return registry.Get(hive, kPoliciesKey, name);
  }
  void ExpectShows(const char* text, bool checked, bool greyed) {
    const MenuCommand item = Item();
    EXPECT_EQ(item.text, text);
    EXPECT_EQ(item.checked, checked);
    EXPECT_EQ(item.greyed, greyed);
  }
};

TEST_F(AutorunSwitchTest, TurnsAutorunOffForTheAccountAndSavesWhatWasThere) {
  StartForm();
  ExpectShows(kTurnOffAutorunText, false, false);

  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), 0xFFu);
  EXPECT_EQ(Policy("NoAutorun"), 1u);
  EXPECT_EQ(registry.Get(kUser, kVelmoraKey, kSavedMark), 1u);
  // Nothing was there before, so no copy of a value is kept.
  EXPECT_EQ(registry.Get(kUser, kVelmoraKey, "NoDriveTypeAutoRun"),
            std::nullopt);
  EXPECT_EQ(registry.Get(kUser, kVelmoraKey, "NoAutorun"), std::nullopt);
  EXPECT_EQ(Log(), Lines{kAutorunTurnedOffLine});
  EXPECT_TRUE(system.boxes.empty());
  ExpectShows(kTurnOffAutorunText, true, false);
}

TEST_F(AutorunSwitchTest, TurningBackOnPutsBackTheEarlierCustomValue) {
  registry.Set(kUser, kPoliciesKey, "NoDriveTypeAutoRun", 0x91);
  StartForm();
  ASSERT_TRUE(Choose());
  EXPECT_EQ(registry.Get(kUser, kVelmoraKey, "NoDriveTypeAutoRun"), 0x91u);

  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), 0x91u);
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(registry.HasKey(kUser, kVelmoraKey));
  EXPECT_EQ(Log(), (Lines{kAutorunTurnedOffLine, kAutorunTurnedOnLine}));
  ExpectShows(kTurnOffAutorunText, false, false);
}

TEST_F(AutorunSwitchTest, TurningBackOnLeavesNoValuesWhereThereWereNone) {
  StartForm();
  ASSERT_TRUE(Choose());
  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), std::nullopt);
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(registry.HasKey(kUser, kVelmoraKey));
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(AutorunSwitchTest, KeepsTheFirstCopyWhenTheValuesChangedInBetween) {
  registry.Set(kUser, kPoliciesKey, "NoAutorun", 0);
  StartForm();
  ASSERT_TRUE(Choose());
  // Something else turns NoAutorun back to 0: AutoRun is on again.
  registry.Set(kUser, kPoliciesKey, "NoAutorun", 0);
  ExpectShows(kTurnOffAutorunText, false, false);
  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoAutorun"), 1u);
  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoAutorun"), 0u);
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), std::nullopt);
}

TEST_F(AutorunSwitchTest, AdministratorsSettingIsCheckedGreyedAndUntouched) {
  registry.Set(kMachine, kPoliciesKey, "NoDriveTypeAutoRun", 0xFF);
  registry.Set(kMachine, kPoliciesKey, "NoAutorun", 1);
  StartForm();
  ExpectShows(kAutorunOffByAdministratorText, true, true);
  EXPECT_FALSE(W().ChooseMenuItem(kAutorunOffByAdministratorText));
  EXPECT_EQ(registry.changes, 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(AutorunSwitchTest, AdministratorsValueThatKeepsAutorunOnGreysTheItem) {
  // The machine's value wins: the account's 0xFF would change nothing.
  registry.Set(kMachine, kPoliciesKey, "NoDriveTypeAutoRun", 0x91);
  StartForm();
  ExpectShows(kAutorunOnByAdministratorText, false, true);
}

TEST_F(AutorunSwitchTest, AccountDecidesWhatTheMachineLeavesUnset) {
  registry.Set(kMachine, kPoliciesKey, "NoAutorun", 1);
  StartForm();
  ExpectShows(kTurnOffAutorunText, false, false);
  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), 0xFFu);
  EXPECT_EQ(Policy("NoAutorun"), 1u);
  EXPECT_EQ(Policy("NoAutorun", kMachine), 1u);
  ExpectShows(kTurnOffAutorunText, true, false);
}

TEST_F(AutorunSwitchTest, OffWithoutVelmorasCopyIsShownButLeftAlone) {
  registry.Set(kUser, kPoliciesKey, "NoDriveTypeAutoRun", 0xFF);
  registry.Set(kUser, kPoliciesKey, "NoAutorun", 1);
  StartForm();
  ExpectShows(kAutorunOffOutsideText, true, true);
  EXPECT_EQ(registry.changes, 0);
}

TEST_F(AutorunSwitchTest, FailedWriteShowsTheErrorAndPutsBackWhatWasWritten) {
  registry.Set(kUser, kPoliciesKey, "NoDriveTypeAutoRun", 0x95);
  registry.FailWrite(kPoliciesKey, "NoAutorun", fake::kErrAccessDenied);
  StartForm();
  EXPECT_TRUE(Choose());

  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Error: 5: Access is denied.");
  EXPECT_EQ(system.boxes[0].title, "ERROR");
  EXPECT_EQ(system.boxes[0].flags, kOkCancelExclamation);
  EXPECT_FALSE(system.ended);
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), 0x95u);
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(registry.HasKey(kUser, kVelmoraKey));
  EXPECT_TRUE(Log().empty());
  ExpectShows(kTurnOffAutorunText, false, false);
}

TEST_F(AutorunSwitchTest, FailedSaveChangesNoPolicy) {
  registry.FailWrite(kVelmoraKey, kSavedMark, fake::kErrAccessDenied);
  StartForm();
  Choose();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), std::nullopt);
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(registry.HasKey(kUser, kVelmoraKey));
  EXPECT_TRUE(Log().empty());
}

TEST_F(AutorunSwitchTest, FailedWriteWhileTurningBackOnKeepsItOff) {
  registry.Set(kUser, kPoliciesKey, "NoAutorun", 0);
  StartForm();
  ASSERT_TRUE(Choose());
  registry.FailWrite(kPoliciesKey, "NoAutorun", fake::kErrAccessDenied);
  Choose();

  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), 0xFFu);
  EXPECT_EQ(Policy("NoAutorun"), 1u);
  EXPECT_EQ(registry.Get(kUser, kVelmoraKey, kSavedMark), 1u);
  EXPECT_EQ(Log(), Lines{kAutorunTurnedOffLine});
  ExpectShows(kTurnOffAutorunText, true, false);

  // Once the registry takes writes again, the earlier value comes back.
  registry.ClearFailures();
  ASSERT_TRUE(Choose());
  EXPECT_EQ(Policy("NoAutorun"), 0u);
}

TEST_F(AutorunSwitchTest, ValueOfAnotherTypeIsReportedAndNothingChanges) {
  registry.SetOtherType(kUser, kPoliciesKey, "NoAutorun");
  StartForm();
  Choose();
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "Error: 1630: Data of this type is not supported.");
  EXPECT_EQ(registry.changes, 0);
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace velmora
