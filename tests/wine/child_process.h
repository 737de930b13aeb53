// Runs this test program again as a child, for tests that need a process
// of their own (one that ends, or one that starts with other settings).
#pragma once

#include <windows.h>

#include <string>

namespace velmora::win32::testing {

// Runs this program with `--gtest_filter=filter` and `variable` set to
// `value` in the child's environment only. Returns the child's exit code, or
// -1 when it did not start or did not end within a minute (it is then
// ended).
inline long RunSelf(const std::wstring& filter, const wchar_t* variable,
                    const std::wstring& value) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command =
      L"\"" + std::wstring(self) + L"\" --gtest_filter=" + filter;
  SetEnvironmentVariableW(variable, value.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableW(variable, nullptr);
  if (!started) return -1;
  const DWORD waited = WaitForSingleObject(child.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return waited == WAIT_OBJECT_0 ? static_cast<long>(code) : -1;
}

}  // namespace velmora::win32::testing
