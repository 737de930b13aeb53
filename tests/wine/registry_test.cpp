// The Win32 registry backend and the AutoRun switch against the real
// registry of the throwaway Wine prefix, checked with Windows' own
// `reg query` before, after turning AutoRun off and after turning it back
// on. Each test starts and ends with the two policy values, Velmora's key
// and the test's own key gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "app/autorun_switch.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"

namespace velmora::win32 {
namespace {

constexpr char kTestKey[] = "Software\\Velmora Registry Test";
constexpr wchar_t kPolicies[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// What `reg query` says of the value `name` of `key` ("HKCU\..."): its data
// as reg prints it ("0xff"), or nullopt where reg finds no such value.
std::optional<std::string> RegQuery(const std::string& key,
                                    const std::string& name) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return "pipe failed";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  std::wstring command =
      Widen("reg.exe query \"" + key + "\" /v \"" + name + "\"");
  PROCESS_INFORMATION process = {};
  const bool started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(write);
  std::string output;
  char buffer[512];
  DWORD got = 0;
  while (started && ::ReadFile(read, buffer, sizeof buffer, &got, nullptr) &&
         got > 0)
    output.append(buffer, got);
  CloseHandle(read);
  if (!started) return "reg.exe did not start";
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (code != 0) return std::nullopt;
  // "    NoAutorun    REG_DWORD    0x1": what follows the type on the
  // value's line.
  const auto at = output.find(name + " ");
  if (at == std::string::npos) return "unreadable: " + output;
  const auto end = output.find_first_of("\r\n", at);
  const std::string line = output.substr(at, end - at);
  const auto type = line.find("REG_", name.size());
  const auto data = line.find_first_not_of(' ', line.find(' ', type));
  return data == std::string::npos ? "" : line.substr(data);
}

std::optional<std::string> Policy(const char* name) {
  return RegQuery(std::string("HKCU\\") + kPoliciesKey, name);
}

void DeleteEverythingTouched() {
  for (const PolicyValue& value : kPolicyValues) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicies, Widen(value.name).c_str());
    HKEY machine = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPolicies, 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY,
                      &machine) == ERROR_SUCCESS) {
      RegDeleteValueW(machine, Widen(value.name).c_str());
      RegCloseKey(machine);
    }
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kVelmoraKey).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kTestKey).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, Widen(kVelmoraKey).c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, Widen(kTestKey).c_str());
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, Widen(key).c_str(), 0, KEY_READ, &opened) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteEverythingTouched(); }
  void TearDown() override { DeleteEverythingTouched(); }

  Win32Registry registry;
};

TEST_F(RegistryTest, WritesReadsAndDeletesDwordsUnderTheUsersHive) {
  Error error;
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kTestKey, "Value", error),
            std::nullopt);
  EXPECT_FALSE(error.failed()) << error.description;

  ASSERT_FALSE(registry.WriteDword(kTestKey, "Value", 0xFF).failed());
  EXPECT_EQ(RegQuery(std::string("HKCU\\") + kTestKey, "Value"), "0xff");
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kTestKey, "value", error),
            0xFFu);

  // A key that still holds a value stays.
  EXPECT_FALSE(registry.DeleteKeyIfEmpty(kTestKey).failed());
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  EXPECT_FALSE(registry.DeleteValue(kTestKey, "Value").failed());
  EXPECT_EQ(RegQuery(std::string("HKCU\\") + kTestKey, "Value"), std::nullopt);
  EXPECT_FALSE(registry.DeleteValue(kTestKey, "Value").failed());
  EXPECT_FALSE(registry.DeleteKeyIfEmpty(kTestKey).failed());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  EXPECT_FALSE(registry.DeleteKeyIfEmpty(kTestKey).failed());
  EXPECT_FALSE(registry.DeleteValue(kTestKey, "Value").failed());
}

TEST_F(RegistryTest, ValueOfAnotherTypeIsAnError) {
  const wchar_t text[] = L"1";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Widen(kTestKey).c_str(), L"Text",
                            REG_SZ, text, sizeof text),
            ERROR_SUCCESS);
  Error error;
  EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kTestKey, "Text", error),
            std::nullopt);
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_UNSUPPORTED_TYPE));
  EXPECT_FALSE(error.description.empty());
}

TEST_F(RegistryTest, WritesAndReadsStringsAndReadsBinaryValues) {
  const std::string command = "\"C:\\Test Tools\\velmora.exe\" /guard";
  const std::string unicode = "T\xC3\xA9st \xF0\x9F\x92\xBE";
  ASSERT_FALSE(registry.WriteString(kTestKey, "Command", command).failed());
  EXPECT_EQ(RegQuery(std::string("HKCU\\") + kTestKey, "Command"), command);
  ASSERT_FALSE(registry.WriteString(kTestKey, "Unicode", unicode).failed());
  const std::wstring key = Widen(kTestKey);
  const wchar_t expand[] = L"%TEMP%";
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Expand", REG_EXPAND_SZ,
                  expand, sizeof expand);
  // Stored without its closing null: read as far as it goes.
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Bare", REG_SZ, L"ab",
                  2 * sizeof(wchar_t));
  const BYTE disabled[12] = {3, 0, 0, 0, 0x10, 0x20};
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Bytes", REG_BINARY,
                  disabled, sizeof disabled);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Empty", REG_BINARY, nullptr,
                  0);
  using Maybe = std::optional<std::string>;
  const struct {
    bool binary;
    const char* name;
    std::size_t most;  // characters of a string, bytes of a binary value
    Maybe value;
    DWORD error;
  } reads[] = {
      {false, "Command", command.size(), command, 0},
      {false, "Command", command.size() - 1, {}, ERROR_MORE_DATA},
      {false, "Unicode", 7, unicode, 0},
      {false, "Expand", 100, {}, ERROR_UNSUPPORTED_TYPE},
      {false, "Bare", 2, "ab", 0},
      {true, "Bytes", 12,
       std::string(reinterpret_cast<const char*>(disabled), 12), 0},
      {true, "Bytes", 11, {}, ERROR_MORE_DATA},
      {true, "Empty", 12, "", 0},
      {true, "Command", 64, {}, ERROR_UNSUPPORTED_TYPE},
      {true, "Absent", 64, {}, 0},
  };
  for (const auto& read : reads) {
    Error error;
    const Maybe value = read.binary
                            ? registry.ReadBinary(Hive::CurrentUser, kTestKey,
                                                  read.name, read.most, error)
                            : registry.ReadString(Hive::CurrentUser, kTestKey,
                                                  read.name, read.most, error);
    EXPECT_EQ(value, read.value) << read.name << ", " << read.most;
    EXPECT_EQ(error.number, static_cast<std::uint32_t>(read.error))
        << read.name << ", " << read.most << ": " << error.description;
  }
}

// What the sign-in item keeps to put back after a failed change: a value
// of any type, read as stored and written back as it was.
TEST_F(RegistryTest, ReadsAndWritesBackAValueOfAnyTypeAsStored) {
  const wchar_t expand[] = L"%TEMP%\\x.exe";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Widen(kTestKey).c_str(),
                            L"Expand", REG_EXPAND_SZ, expand, sizeof expand),
            ERROR_SUCCESS);
  Error error;
  const std::optional<RawValue> kept =
      registry.ReadRaw(kTestKey, "Expand", sizeof expand, error);
  ASSERT_TRUE(kept) << error.description;
  EXPECT_EQ(kept->type, static_cast<std::uint32_t>(REG_EXPAND_SZ));
  EXPECT_EQ(kept->bytes,
            std::string(reinterpret_cast<const char*>(expand), sizeof expand));
  EXPECT_EQ(registry.ReadRaw(kTestKey, "Expand", sizeof expand - 1, error),
            std::nullopt);
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_MORE_DATA));
  EXPECT_EQ(registry.ReadRaw(kTestKey, "Absent", 64, error), std::nullopt);
  EXPECT_FALSE(error.failed());

  ASSERT_FALSE(registry.WriteString(kTestKey, "Expand", "other").failed());
  ASSERT_FALSE(registry.WriteRaw(kTestKey, "Expand", *kept).failed());
  EXPECT_EQ(RegQuery(std::string("HKCU\\") + kTestKey, "Expand"),
            "%TEMP%\\x.exe");
  EXPECT_EQ(registry.ReadRaw(kTestKey, "Expand", 64, error), kept);
}

TEST_F(RegistryTest, ReadsTheMachinesPolicies) {
  HKEY machine = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPolicies, 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &machine,
                            nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExW(machine, L"NoAutorun", 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(machine);
  Error error;
  EXPECT_EQ(
      registry.ReadDword(Hive::LocalMachine, kPoliciesKey, "NoAutorun", error),
      1u);
  EXPECT_EQ(
      registry.ReadDword(Hive::CurrentUser, kPoliciesKey, "NoAutorun", error),
      std::nullopt);
}

// The switch as the main window runs it, on the real registry.
class AutorunOnRealRegistry : public RegistryTest {
 protected:
  void Toggle() {
    const MenuCommand item = autorun.Command();
    ASSERT_FALSE(item.greyed) << item.text;
    item.onChoose();
  }
  fake::FakeSystem system;
  fake::FakeWidget log_widget{ControlKind::ListBox, ""};
  ListBox log{log_widget};
  AutorunSwitch autorun{system, registry, log};
};

TEST_F(AutorunOnRealRegistry, OffAndBackOnPutsBackTheEarlierValue) {
  ASSERT_FALSE(
      registry.WriteDword(kPoliciesKey, "NoDriveTypeAutoRun", 0x91).failed());
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), "0x91");
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);

  Toggle();
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), "0xff");
  EXPECT_EQ(Policy("NoAutorun"), "0x1");
  EXPECT_EQ(RegQuery(std::string("HKCU\\") + kVelmoraKey, kSavedMark), "0x1");
  EXPECT_TRUE(autorun.Command().checked);

  Toggle();
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), "0x91");
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVelmoraKey));
  EXPECT_FALSE(autorun.Command().checked);
  EXPECT_EQ(
      log_widget.Rows(),
      (std::vector<std::string>{kAutorunTurnedOffLine, kAutorunTurnedOnLine}));
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(AutorunOnRealRegistry, OffAndBackOnLeavesNoValuesWhereThereWereNone) {
  Toggle();
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), "0xff");
  EXPECT_EQ(Policy("NoAutorun"), "0x1");
  Toggle();
  EXPECT_EQ(Policy("NoDriveTypeAutoRun"), std::nullopt);
  EXPECT_EQ(Policy("NoAutorun"), std::nullopt);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kVelmoraKey));
}

}  // namespace
}  // namespace velmora::win32
