#include "app/win32_console.h"

#include <windows.h>

#include <string>

#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"

namespace velmora::win32 {
namespace {

// One of the two outputs. A handle inherited from the caller (a pipe or a
// file) gets UTF-8; a console gets UTF-16 through WriteConsoleW, so that
// every character shows whatever the console's code page.
class Stream {
 public:
  explicit Stream(DWORD which) : which_(which) {}
  ~Stream() {
    if (owned_) CloseHandle(handle_);
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  void Write(const std::string& text) {
    Open();
    if (handle_ == INVALID_HANDLE_VALUE) return;
    std::string lines;
    for (const char c : text) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    if (lines.empty() || lines.back() != '\n') lines += "\r\n";
    DWORD done = 0;
    if (console_) {
      const std::wstring wide = Widen(lines);
      WriteConsoleW(handle_, wide.c_str(), static_cast<DWORD>(wide.size()),
                    &done, nullptr);
    } else {
      WriteFile(handle_, lines.data(), static_cast<DWORD>(lines.size()), &done,
                nullptr);
    }
  }

 private:
  // A windowed program is given standard handles only where its caller
  // redirected them; otherwise the caller's console is borrowed.
  void Open() {
    if (opened_) return;
    opened_ = true;
    handle_ = GetStdHandle(which_);
    if (!handle_ || handle_ == INVALID_HANDLE_VALUE ||
        GetFileType(handle_) == FILE_TYPE_UNKNOWN) {
      handle_ = INVALID_HANDLE_VALUE;
      if (!AttachConsole(ATTACH_PARENT_PROCESS) &&
          GetLastError() != ERROR_ACCESS_DENIED)  // attached already
        return;
      handle_ = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
      owned_ = handle_ != INVALID_HANDLE_VALUE;
    }
    DWORD mode = 0;
    console_ = GetConsoleMode(handle_, &mode) != 0;
  }

  const DWORD which_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool opened_ = false, owned_ = false, console_ = false;
};

class Win32Console final : public ConsoleOut {
 public:
  void Line(const std::string& line) override { out_.Write(line); }
  void ErrorLine(const std::string& line) override { error_.Write(line); }

 private:
  Stream out_{STD_OUTPUT_HANDLE}, error_{STD_ERROR_HANDLE};
};

}  // namespace

int RunFromConsole(const StartOptions& options) {
  Win32System system("Velmora");
  Win32Registry registry;
  Win32FileTree files;
  Win32EventLog events;
  Win32Console console;
  return RunCommandLine(options, system, registry, files, &events, console);
}

}  // namespace velmora::win32
