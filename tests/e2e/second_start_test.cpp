// A second start of velmora.exe while it runs for the same user in the same
// session: with /guard (as at sign-in) it ends and nothing shows; without,
// it ends after the running copy's window, hidden or minimised, has come
// back and forward.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace e2e {
namespace {

// Runs VELMORA_EXE with `arguments` and waits for it to end; its exit code,
// or -1 where it did not start or did not end in time (it is then ended).
long RunToEnd(const std::string& arguments) {
  std::wstring command = L"\"" + Wide(Env("VELMORA_EXE")) + L"\"";
  if (!arguments.empty()) command += L" " + Wide(arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, L"C:\\", &startup, &process)) {
    ADD_FAILURE() << "cannot start a second copy: "
                  << ErrorText(GetLastError());
    return -1;
  }
  const DWORD waited = WaitForSingleObject(process.hProcess, kStartMs);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return waited == WAIT_OBJECT_0 ? static_cast<long>(code) : -1;
}

// Main windows of every velmora.exe, shown or hidden.
int MainWindows() {
  int count = 0;
  for (HWND top : TopWindowsOf(0, false)) count += TextOf(top) == kMainCaption;
  return count;
}

TEST(SecondStart, EndsAfterShowingTheRunningCopysWindowOrNothingForGuard) {
  App app;
  ASSERT_TRUE(app.started());
  HWND main = app.main();
  ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));

  EXPECT_EQ(RunToEnd("/GUARD"), 0);
  ASSERT_TRUE(app.Settle());
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(MainWindows(), 1);

  EXPECT_EQ(RunToEnd(""), 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }))
      << app.DescribeWindows();
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }));
  EXPECT_EQ(MainWindows(), 1);

  // Minimised, it comes back too; another argument is no /guard.
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != FALSE; }));
  EXPECT_EQ(RunToEnd("/other"), 0);
  EXPECT_TRUE(WaitFor([&] { return !IsIconic(main); }));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(app.NoBox());
}

}  // namespace
}  // namespace e2e
