// The real backend: the platform contract on the Win32 API. This header
// stays free of <windows.h> so that tests and benchmarks can include it
// next to portable code; handles are kept as opaque pointers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive_rounds.h"
#include "platform/platform.h"

namespace velmora::win32 {

// UTF-8 <-> UTF-16 at the Win32 boundary. Invalid input becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The error object for a Win32 error code: the code itself and the system's
// message for it on one line ("Access is denied.").
Error ErrorFromCode(std::uint32_t code);

// The path a SUBST letter (or DefineDosDevice) makes `letter` stand for
// ("C:\work"), or "" for any other letter (win32_windows_tie.cpp).
std::wstring SubstTarget(wchar_t letter);

// The program's current drive is kept here, never as the process's current
// folder, and every drive query that may block waits with a bound.
class Win32System final : public System {
 public:
  // `title` is the application's title, used where a message box has none.
  explicit Win32System(std::string title);

  std::vector<std::string> DriveEntries(DriveRead read) override;
  std::string DriveRowText(const std::string& entry) override;
  std::string CurrentDrive() override;
  Error ChangeDrive(const std::string& entry) override;
  DriveStatus ProbeDrive(const std::string& entry) override;
  Error SetAttrZero(const std::string& path) override;
  std::string Dir(const std::string& path, Error& error) override;
  Error Kill(const std::string& path) override;
  bool PathExists(const std::string& path) override;
  bool DeletePending(const std::string& path) override;
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& pattern,
                                     Error& error) override;
  FileBytes ReadFile(const std::string& path, std::size_t max_bytes,
                     Error& error) override;
  std::string AnsiToUtf8(std::string_view ansi) override;
  std::string ProgramPath() override;
  DriveKind KindOfDrive(const std::string& path) override;
  int MsgBox(const std::string& text, int flags,
             const std::string& title) override;
  // Destroys every window made by a Win32WindowFactory and ends the
  // process with exit code 0. Does not return.
  void End() override;

 private:
  // The error of a failed change to `path`, write-protect where the drive's
  // volume is known to be read-only (win32_system.cpp).
  Error WriteError(const std::wstring& path);

  std::string title_;
  DriveRounds rounds_;
  char current_ = 0;  // the drive made current; 0 until the first change
  std::uint32_t known_drives_ = 0;  // GetLogicalDrives as last read
  // When known_drives_ was read, and how many announced changes of the
  // drive letters there had been then.
  DriveRounds::Clock::time_point drives_read_at_{};
  std::uint32_t drives_read_after_ = 0;
  // Whether the last read of the drive list was of the letters only, so
  // that its row texts ask no drive.
  bool labels_known_only_ = false;
};

class Win32Window;

class Win32WindowFactory final : public WindowFactory {
 public:
  // With `quit_when_last_closes`, WM_QUIT is posted when the last window of
  // this factory is destroyed, which ends RunMessageLoop. Tests that create
  // and close windows in a row turn it off.
  explicit Win32WindowFactory(bool quit_when_last_closes = true);
  ~Win32WindowFactory() override;

  std::unique_ptr<Window> Create(const FormLayout& layout,
                                 WindowEvents events) override;
  // Windows of this factory whose native window is alive.
  int LiveWindows() const { return live_; }
  // Whether High Contrast is on, as the windows ask when they are made and
  // again on WM_SETTINGCHANGE and WM_SYSCOLORCHANGE: SPI_GETHIGHCONTRAST
  // unless `query` is given (Wine's tests: Wine cannot turn it on).
  void SetHighContrastQuery(std::function<bool()> query) {
    high_contrast_query_ = std::move(query);
  }
  bool HighContrast() const;

 private:
  friend class Win32Window;
  void WindowDestroyed();

  bool quit_when_last_closes_;
  int live_ = 0;
  std::function<bool()> high_contrast_query_;
};

// The native handle of a window made by Win32WindowFactory (an HWND), or
// nullptr when it is not loaded. For tests and the benchmark.
void* NativeHandle(Window& window);
// The native handle of one control of such a window (an HWND).
void* NativeHandle(Window& window, std::string_view control);

// Runs the message loop of the calling thread until WM_QUIT, with dialog
// keyboard handling (Tab, accelerators) for the windows of every factory.
// Returns the exit code carried by WM_QUIT.
int RunMessageLoop();

}  // namespace velmora::win32
