// "Start Guarding at Sign-in" through velmora.exe's own menus: chosen from
// the drive list's menu it writes the account's Run value with the
// program's own path; chosen again, from the system menu, it removes it.
// Each change has its log line, and nothing else under the two keys
// changes. (A startup-list entry that disables the value, as Task Manager
// writes, is the unit tests'.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "menus.h"

namespace e2e {
namespace {

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved"
    L"\\Run";
constexpr char kRunName[] =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Velmora";

std::optional<std::wstring> RunValue(const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CURRENT_USER, kRun, name, RRF_RT_REG_SZ, nullptr, data,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return data;
}

bool HasApproval(const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, kApproved, name, RRF_RT_ANY, nullptr,
                      nullptr, nullptr) == ERROR_SUCCESS;
}

void SetApproval(const wchar_t* name, BYTE first) {
  const BYTE data[12] = {first, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0, 0, 0, 0};
  RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, name, REG_BINARY, data,
                  sizeof data);
}

void ForgetSigninSettings() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Velmora");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kApproved, L"Velmora");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Velmora Test Neighbour");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kApproved, L"Velmora Test Neighbour");
}

class SigninMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetSigninSettings();
    SetCursorPos(0, 0);  // away from where the menus open
  }
  void TearDown() override { ForgetSigninSettings(); }
};

TEST_F(SigninMenu, WritesTheRunValueAndRemovesIt) {
  const wchar_t neighbour_data[] = L"neighbour.exe";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRun, L"Velmora Test Neighbour", REG_SZ,
                  neighbour_data, sizeof neighbour_data);
  SetApproval(L"Velmora Test Neighbour", 3);
  App app;
  ASSERT_TRUE(app.started());
  // Built by appending: GCC 12 warns falsely on "..." + std::string.
  std::string command(1, '"');
  command.append(Env("VELMORA_EXE")).append("\" /guard");

  ASSERT_TRUE(OpenContextMenu(app));
  ASSERT_TRUE(ChooseProgramItem(app, ProgramItem::Signin, false));
  EXPECT_EQ(app.WaitLog(1),
            std::vector<std::string>{"Start at sign-in written: " +
                                     std::string(kRunName) + " = " + command});
  EXPECT_EQ(RunValue(L"Velmora"), Wide(command));

  ASSERT_TRUE(OpenSystemMenu(app));
  ASSERT_TRUE(ChooseProgramItem(app, ProgramItem::Signin, true));
  EXPECT_EQ(app.WaitLog(2).back(),
            std::string("Start at sign-in removed: ").append(kRunName));
  EXPECT_EQ(RunValue(L"Velmora"), std::nullopt);
  EXPECT_FALSE(HasApproval(L"Velmora"));
  EXPECT_EQ(app.LogLines().size(), 2u);

  EXPECT_EQ(RunValue(L"Velmora Test Neighbour"), L"neighbour.exe");
  EXPECT_TRUE(HasApproval(L"Velmora Test Neighbour"));
  EXPECT_TRUE(app.NoBox());
}

}  // namespace
}  // namespace e2e
