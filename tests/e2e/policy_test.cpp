// Organization policy set with `reg add`, as an administrator's script or
// Group Policy leaves it, through velmora.exe's window: the forced boxes
// show their values and are disabled, the log says what policy sets, and a
// policy applied anew (Windows' WM_SETTINGCHANGE "Policy") is followed
// while the program runs. (That a disabled box takes no click is the Wine
// tests'.)
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace e2e {
namespace {

constexpr char kAutoRemove[] = "Auto Remove w/o Notification";
constexpr char kNotify[] = "Notify When Removing ";
constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Velmora";

// Runs reg.exe with `arguments` and waits (bounded) for its exit code.
DWORD Reg(const std::wstring& arguments) {
  std::wstring command = L"reg.exe " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
    return GetLastError();
  DWORD code = WAIT_TIMEOUT;
  if (WaitForSingleObject(process.hProcess, kWaitMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

DWORD SetPolicy(const wchar_t* name, int value) {
  return Reg(std::wstring(L"add HKLM\\") + kPolicyKey + L" /v " + name +
             L" /t REG_DWORD /d " + std::to_wstring(value) + L" /f");
}

class Policy : public ::testing::Test {
 protected:
  void SetUp() override { Forget(); }
  void TearDown() override { Forget(); }
  static void Forget() {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_WOW64_64KEY, 0);
  }
};

TEST_F(Policy, ForcesAndGreysTheBoxesAndFollowsAChange) {
  ASSERT_EQ(SetPolicy(L"AutoRemove", 1), 0u);
  ASSERT_EQ(SetPolicy(L"NotifyWhenRemoving", 0), 0u);
  ASSERT_EQ(SetPolicy(L"Repair", 0), 0u);

  App app;
  ASSERT_TRUE(app.started());
  HWND auto_remove = app.Control("Button", kAutoRemove);
  HWND notify = app.Control("Button", kNotify);
  ASSERT_TRUE(auto_remove && notify);
  EXPECT_EQ(CheckState(auto_remove), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(auto_remove));
  EXPECT_EQ(CheckState(notify), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(notify));
  ASSERT_GE(app.WaitLog(1).size(), 1u);
  EXPECT_EQ(app.LogLines()[0],
            "Set by your organization: AutoRemove=1 NotifyWhenRemoving=0 "
            "Repair=0");

  ASSERT_EQ(SetPolicy(L"AutoRemove", 0), 0u);
  Send(app.main(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
  ASSERT_TRUE(app.Settle());
  EXPECT_EQ(CheckState(auto_remove), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(auto_remove));
  EXPECT_EQ(app.LogLines().back(),
            "Set by your organization: AutoRemove=0 NotifyWhenRemoving=0 "
            "Repair=0");
}

}  // namespace
}  // namespace e2e
