// "Start Guarding at Sign-in" in the main window's menus, on the in-memory
// registry: what the Run and StartupApproved values read as, turning the
// sign-in start on and off, where the item is greyed, and failed writes.
#include "app/signin_switch.h"

#include <gtest/gtest.h>

#include "form_test.h"

namespace velmora {
namespace {

using Lines = std::vector<std::string>;
constexpr Hive kUser = Hive::CurrentUser;
const std::string kCommand = "\"C:\\Tools\\velmora.exe\" /guard";
// What Task Manager writes: 02 (enable) or 03 (disable), then a time.
const std::string kEnabled("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
const std::string kDisabled("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x01", 12);

class SigninSwitchTest : public FormTest {
 protected:
  void SetUp() override { system.AddDrive('C'); }
  // The sign-in item: the third, after the AutoRun and repair items.
  MenuCommand Item() {
    const std::vector<MenuCommand> items = W().MenuItems();
    EXPECT_GE(items.size(), 3u);
    return items.size() < 3 ? MenuCommand{} : items[2];
  }
  bool Choose() { return W().ChooseMenuItem(kSigninText); }
  std::optional<std::string> Run() {
    return registry.GetString(kUser, kRunKey, kSigninValue);
  }
  std::optional<std::string> Approval() {
    return registry.GetBinary(kUser, kStartupApprovedKey, kSigninValue);
  }
  // How a value is found; an unreadable one is text in a key that cannot
  // be read.
  enum Kind { kAbsent, kText, kBytes, kOtherType, kUnreadable };
  struct Value {
    Kind kind = kAbsent;
    std::string data;
  };
  // A fresh registry with the two values as given.
  void Scene(const Value& run, const Value& approval) {
    registry = fake::FakeRegistry();
    for (const auto& [key, value] :
         {std::pair{kRunKey, run}, std::pair{kStartupApprovedKey, approval}}) {
      if (value.kind == kText || value.kind == kUnreadable)
        registry.SetString(kUser, key, kSigninValue, value.data);
      if (value.kind == kBytes)
        registry.SetBinary(kUser, key, kSigninValue, value.data);
      if (value.kind == kOtherType)
        registry.SetOtherType(kUser, key, kSigninValue, value.data);
      if (value.kind == kUnreadable)
        registry.FailRead(kUser, key, fake::kErrAccessDenied);
    }
  }
};

// Each way the two values can be found, and whether the item shows checked.
TEST_F(SigninSwitchTest, ReadsTheValuesAsWindowsWouldStartThem) {
  const struct {
    Value run, approval;
    bool checked;
  } cases[] = {
      {{kText, kCommand}, {}, true},
      {{kText, kCommand}, {kBytes, kEnabled}, true},
      {{kText, kCommand}, {kBytes, std::string(1, '\0')}, true},
      {{kText, kCommand}, {kBytes, kDisabled}, false},
      {{kText, kCommand}, {kBytes, ""}, false},
      {{kText, kCommand}, {kOtherType, ""}, false},
      {{kText, kCommand}, {kUnreadable, ""}, false},
      {{kText, "\"E:\\velmora.exe\" /guard"}, {}, false},
      {{kText, "C:\\Tools\\velmora.exe /guard"}, {}, false},
      {{kText, "\"C:\\Tools\\velmora.exe\""}, {}, false},
      {{kText, kCommand + std::string(kMaxRunChars, ' ')}, {}, false},
      {{kOtherType, ""}, {}, false},
      {{kUnreadable, kCommand}, {}, false},
  };
  StartForm();
  int i = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE("case " + std::to_string(i++));
    Scene(c.run, c.approval);
    const MenuCommand item = Item();
    EXPECT_EQ(item.text, kSigninText);
    EXPECT_EQ(item.checked, c.checked);
    EXPECT_FALSE(item.greyed);
  }
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_TRUE(Log().empty());
}

// Choosing the item, from each state the two values can be in: what they
// hold after, the log lines, and that nothing else in either key changes.
TEST_F(SigninSwitchTest, ChoosingTheItemWritesOrRemovesOnlyItsValues) {
  using Maybe = std::optional<std::string>;
  const std::string written =
      "Start at sign-in written: HKCU\\Software\\Microsoft\\Windows\\"
      "CurrentVersion\\Run\\Velmora = " +
      kCommand;
  const std::string run_removed =
      "Start at sign-in removed: HKCU\\Software\\Microsoft\\Windows\\"
      "CurrentVersion\\Run\\Velmora";
  const std::string approval_removed =
      "Start at sign-in removed: HKCU\\Software\\Microsoft\\Windows\\"
      "CurrentVersion\\Explorer\\StartupApproved\\Run\\Velmora";
  const std::string moved = "\"E:\\velmora.exe\" /guard";
  const struct {
    const char* what;
    Maybe run, approval;              // before
    Maybe run_after, approval_after;  // after
    Lines log;
  } cases[] = {
      {"on: nothing there", {}, {}, kCommand, {}, {written}},
      {"off: the Run value only", kCommand, {}, {}, {}, {run_removed}},
      {"on: a moved program, disabled",
       moved,
       kDisabled,
       kCommand,
       {},
       {written, approval_removed}},
      {"on: the Run value right, an empty approval",
       kCommand,
       "",
       kCommand,
       {},
       {approval_removed}},
      {"off: an enabling value goes too",
       kCommand,
       kEnabled,
       {},
       {},
       {run_removed, approval_removed}},
  };
  StartForm();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = fake::FakeRegistry();
    registry.SetString(kUser, kRunKey, "Other", "other.exe");
    registry.SetBinary(kUser, kStartupApprovedKey, "Other", kDisabled);
    if (c.run) registry.SetString(kUser, kRunKey, kSigninValue, *c.run);
    if (c.approval)
      registry.SetBinary(kUser, kStartupApprovedKey, kSigninValue, *c.approval);
    W().Click("cmdclear");
    const bool was_checked = Item().checked;
    ASSERT_TRUE(Choose());
    EXPECT_EQ(Run(), c.run_after);
    EXPECT_EQ(registry.HasValue(kUser, kRunKey, kSigninValue),
              c.run_after.has_value());
    EXPECT_EQ(Approval(), c.approval_after);
    EXPECT_EQ(registry.HasValue(kUser, kStartupApprovedKey, kSigninValue),
              c.approval_after.has_value());
    EXPECT_EQ(Log(), c.log);
    EXPECT_EQ(registry.changes, static_cast<int>(c.log.size()));
    EXPECT_NE(Item().checked, was_checked);
    EXPECT_EQ(registry.GetString(kUser, kRunKey, "Other"), "other.exe");
    EXPECT_EQ(registry.GetBinary(kUser, kStartupApprovedKey, "Other"),
              kDisabled);
  }
  EXPECT_TRUE(system.boxes.empty());
}

// Greyed with the reason where the next sign-in could not start the program
// (or should not), choosable up to the longest command Windows documents.
TEST_F(SigninSwitchTest, GreyedWithTheReasonWhereTheProgramRunsFromAStick) {
  struct Case {
    std::string program;
    DriveKind kind;
    const char* text;
  };
  const Case cases[] = {
      {"E:\\velmora.exe", DriveKind::Removable, kSigninFromRemovableText},
      {"N:\\Tools\\velmora.exe", DriveKind::Network, kSigninFromNetworkText},
      {"R:\\velmora.exe", DriveKind::CdRom, kSigninFromCdText},
      {"", DriveKind::Unknown, kSigninPlaceUnknownText},
      {"P:\\velmora.exe", DriveKind::Subst, kSigninFromSubstText},
      {"M:\\velmora.exe", DriveKind::RamDisk, kSigninFromRamDiskText},
      {"U:\\velmora.exe", DriveKind::Unknown, kSigninDriveUnknownText},
      // 260 characters with its quotes and " /guard", and one more; a
      // character beyond the BMP counts two.
      {"C:\\" + std::string(244, 'a') + ".exe", DriveKind::Fixed, kSigninText},
      {"C:\\" + std::string(245, 'a') + ".exe", DriveKind::Fixed,
       kSigninTooLongText},
      {"C:\\" + std::string(242, 'a') + "\xF0\x9F\x98\x80.exe",
       DriveKind::Fixed, kSigninText},
      {"C:\\" + std::string(243, 'a') + "\xF0\x9F\x98\x80.exe",
       DriveKind::Fixed, kSigninTooLongText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    form.reset();
    registry = fake::FakeRegistry();
    system.program_path = c.program;
    if (c.program.size() > 1 && c.program[1] == ':')
      system.AddDrive(c.program[0]).kind = c.kind;
    StartForm();
    const MenuCommand item = Item();
    const bool greyed = c.text != std::string(kSigninText);
    EXPECT_EQ(item.text, c.text);
    EXPECT_EQ(item.greyed, greyed);
    EXPECT_EQ(W().ChooseMenuItem(c.text), !greyed);
    EXPECT_EQ(registry.changes, greyed ? 0 : 1);
  }
}

// A change whose write or delete fails leaves both values as they were,
// whatever they held, shows the system's error and logs nothing.
TEST_F(SigninSwitchTest, AFailedChangeLeavesTheRegistryAsItWas) {
  const std::string moved = "\"E:\\velmora.exe\" /guard";
  const struct {
    const char* what;
    Value run, approval;
    const char* failing;  // the key whose change fails, if any
  } cases[] = {
      {"on: the Run value cannot be written", {}, {}, kRunKey},
      {"on: a moved program's value comes back",
       {kText, moved},
       {kBytes, kDisabled},
       kStartupApprovedKey},
      {"on: a value of another type comes back",
       {kOtherType, "%TEMP%\\x.exe"},
       {kBytes, kDisabled},
       kStartupApprovedKey},
      {"on: an over-long value comes back",
       {kText, kCommand + std::string(kMaxRunChars, ' ')},
       {kBytes, kDisabled},
       kStartupApprovedKey},
      {"on: an unreadable Run key is changed last",
       {kUnreadable, moved},
       {kBytes, kDisabled},
       kStartupApprovedKey},
      {"on: an unreadable Run key's failed write puts back the other",
       {kUnreadable, moved},
       {kOtherType, "\x03"},
       kRunKey},
      {"on: neither key readable, nothing is tried",
       {kUnreadable, moved},
       {kUnreadable, kDisabled},
       nullptr},
      {"off: the Run value comes back",
       {kText, kCommand},
       {kBytes, kEnabled},
       kStartupApprovedKey},
  };
  StartForm();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene(c.run, c.approval);
    if (c.failing)
      registry.FailWrite(c.failing, kSigninValue, fake::kErrAccessDenied);
    const auto run = registry.GetRaw(kUser, kRunKey, kSigninValue);
    const auto approval =
        registry.GetRaw(kUser, kStartupApprovedKey, kSigninValue);
    const std::size_t boxes = system.boxes.size();
    ASSERT_TRUE(Choose());
    EXPECT_EQ(registry.GetRaw(kUser, kRunKey, kSigninValue), run);
    EXPECT_EQ(registry.GetRaw(kUser, kStartupApprovedKey, kSigninValue),
              approval);
    ASSERT_EQ(system.boxes.size(), boxes + 1);
    EXPECT_EQ(system.boxes.back().text, "Error: 5: Access is denied.");
    EXPECT_EQ(system.boxes.back().title, "ERROR");
    EXPECT_TRUE(Log().empty());
  }
}

}  // namespace
}  // namespace velmora
