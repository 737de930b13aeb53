// The command line of the real velmora.exe under Wine: its lines reach a
// pipe and cmd.exe, its exit code reaches the caller, it runs beside a
// guard, and every event ID renders from the exe's own message table with
// its insertion strings. (That it calls ReportEventW is shown by
// tools/event-trace.sh: Wine echoes the strings to the Unix standard error
// only.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"

namespace e2e {
namespace {

struct Ran {
  DWORD code = 0xFFFFFFFF;
  std::string out;  // what reached the pipe
  std::string err;  // what reached the error file
};

// Runs `command` with its output into a pipe read to the end and its error
// output into a file.
Ran RunWithPipe(const std::wstring& command) {
  Ran ran;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return ran;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  const std::wstring err_path = L"C:\\velmora\\stderr.txt";
  HANDLE err = CreateFileW(err_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                           &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = err;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION child = {};
  std::wstring line = command;
  const BOOL started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &child);
  CloseHandle(write);
  CloseHandle(err);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got)
      ran.out.append(buffer, got);
    WaitForSingleObject(child.hProcess, kStartMs);
    GetExitCodeProcess(child.hProcess, &ran.code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  CloseHandle(read);
  ran.err = ReadAll(Utf8(err_path));
  return ran;
}

Ran Velmora(const std::string& arguments) {
  std::string command = "\"";
  command.append(Env("VELMORA_EXE")).append("\" ").append(arguments);
  return RunWithPipe(Wide(command));
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CommandLine : public OnEmptyDrives {};

TEST_F(CommandLine, AScanPrintsToAPipeAndEndsWithItsCode) {
  PutFile("E:\\autorun.inf", "[autorun]\r\nopen=x.exe\r\n", 0);
  const Ran ran = Velmora("/SCAN");
  EXPECT_EQ(ran.code, 2u) << ran.out << ran.err;
  const std::vector<std::string> lines = SplitLines(ran.out);
  EXPECT_TRUE(Has(lines, "Autorun Found in: E:\\autorun.inf")) << ran.out;
  EXPECT_TRUE(Has(lines, "Autorun does not exists in D:\\autorun.inf"));
  EXPECT_TRUE(Exists("E:\\autorun.inf"));
}

// Policy keeps every file in place (the guard's ticks included); /remove
// then reports as a scan does.
TEST_F(CommandLine, ARunBesideAGuardFollowsPolicy) {
  PutFile("E:\\autorun.inf", "[autorun]\r\nopen=x.exe\r\n", 0);
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Policies\\Velmora", 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  const DWORD on = 1;
  RegSetValueExW(key, L"AuditOnly", 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&on), sizeof on);
  App guard("C:\\", "/guard");
  const Ran ran = Velmora("/remove e:");
  const bool guarding = guard.Running();
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Policies\\Velmora");
  RegCloseKey(key);
  ASSERT_TRUE(guard.started());
  EXPECT_TRUE(guarding);
  EXPECT_EQ(ran.code, 2u) << ran.out;
  EXPECT_TRUE(Exists("E:\\autorun.inf"));
  EXPECT_TRUE(Has(SplitLines(ran.out),
                  "Autorun Left by Policy: E:\\autorun.inf (your "
                  "organization's policy allows reporting only)"))
      << ran.out;
}

TEST_F(CommandLine, CmdSeesTheExitCode) {
  PutFile("F:\\autorun.inf", "[autorun]", 0);
  std::wstring command = L"cmd /c \"";
  command.append(Wide(Env("VELMORA_EXE")))
      .append(L" /scan F: Q: & echo %ERRORLEVEL%\"");
  const Ran ran = RunWithPipe(command);
  const std::vector<std::string> lines = SplitLines(ran.out);
  ASSERT_FALSE(lines.empty()) << ran.err;
  EXPECT_EQ(lines.back(), "10") << ran.out;  // found and left, Q: not ready
  EXPECT_TRUE(Has(lines, "Drive Not Ready/CD Drive  in Q:\\autorun.inf"));
}

TEST_F(CommandLine, BadArgumentsPrintTheUsageToTheErrorOutputOnly) {
  const Ran ran = Velmora("/scan /now");
  EXPECT_EQ(ran.code, 16u);
  EXPECT_TRUE(ran.out.empty()) << ran.out;
  EXPECT_NE(ran.err.find("Velmora: not understood: /now"), std::string::npos)
      << ran.err;
  EXPECT_NE(ran.err.find("  16  bad arguments"), std::string::npos);
}

// Each ID with the number of insertion strings it takes: each renders with
// every one of them and leaves no insert unfilled.
TEST(EventMessages, EveryIdRendersFromTheExesMessageTable) {
  HMODULE exe = LoadLibraryExW(Wide(Env("VELMORA_EXE")).c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr) << ErrorText(GetLastError());
  const struct {
    DWORD id;
    int strings;
  } events[] = {{1000, 10}, {1001, 11}, {1002, 6}, {1003, 4}, {1004, 2},
                {1005, 2},  {1006, 2},  {1007, 3}, {1008, 10}};
  std::vector<std::wstring> texts;
  for (int i = 1; i <= 11; ++i)
    texts.push_back(std::wstring(L"<").append(std::to_wstring(i)).append(L">"));
  std::vector<DWORD_PTR> args;
  for (const std::wstring& text : texts)
    args.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
  for (const auto& event : events) {
    wchar_t* buffer = nullptr;
    const DWORD size = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
            FORMAT_MESSAGE_ARGUMENT_ARRAY,
        exe, event.id, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
        reinterpret_cast<va_list*>(args.data()));
    ASSERT_GT(size, 0u) << event.id << ": " << ErrorText(GetLastError());
    const std::string text = Utf8(buffer);
    LocalFree(buffer);
    for (int i = 1; i <= event.strings; ++i)
      EXPECT_NE(text.find(Utf8(texts[i - 1])), std::string::npos)
          << event.id << " lacks %" << i << ": " << text;
    if (event.strings < 11) {
      EXPECT_EQ(text.find(Utf8(texts[event.strings])), std::string::npos)
          << event.id << ": " << text;
    }
    EXPECT_EQ(text.find('%'), std::string::npos) << event.id << ": " << text;
  }
  FreeLibrary(exe);
}

}  // namespace
}  // namespace e2e
