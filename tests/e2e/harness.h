// End-to-end harness: starts velmora.exe, finds its windows and controls,
// drives them the way a user would (clicks, drive picks, row clicks, message
// box answers) and reads back what they show. Every wait is bounded and says
// what it saw when it gives up.
//
// Environment (set by tools/e2e.sh):
//   VELMORA_EXE         Windows path of velmora.exe
//   VELMORA_DRIVES      the fresh drive letters the tests may fill, e.g. "DEF"
//   VELMORA_SCREENSHOT  where the screenshot test writes its BMP (optional)
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char kMainCaption[] = "Kestrin - Velmora 2.0";
inline constexpr DWORD kWaitMs = 10000;
inline constexpr DWORD kStartMs = 30000;

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// An environment variable, "" when it is not set.
std::string Env(const char* name);

// Polls `done` until it holds or `timeout_ms` passes; true when it held.
bool WaitFor(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs,
             DWORD step_ms = 20);

// --- reading any window, in any process ---
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);  // WM_GETTEXT, bounded
// Direct children in z-order (GW_CHILD, then GW_HWNDNEXT).
std::vector<HWND> Children(HWND parent);
// Children of `parent` with class `cls` (case-insensitive), in z-order.
std::vector<HWND> ChildrenOf(HWND parent, const char* cls);
// The first child with class `cls` and window text `text`, or nullptr.
HWND FindChild(HWND parent, const char* cls, const std::string& text);
// "CLASS 'text' (x,y wxh)" for each child: for failure messages.
std::string Describe(HWND parent);
// The window rectangle of `child` in the client coordinates of `parent`.
RECT RectIn(HWND child, HWND parent);
// The control with the keyboard focus in the thread of `window`.
HWND FocusIn(HWND window);
// The window's DPI (GetDpiForWindow where there is one, else the screen's).
UINT DpiOf(HWND hwnd);
// twips * dpi / 1440, rounded.
int TwipsToPixels(int twips, UINT dpi);

std::vector<std::string> ListRows(HWND listbox);  // LB_GETTEXT
int ListSelected(HWND listbox);                   // LB_GETCURSEL
std::vector<std::string> ComboRows(HWND combo);   // CB_GETLBTEXT
int ComboSelected(HWND combo);                    // CB_GETCURSEL
int CheckState(HWND button);                      // BM_GETCHECK
// Lines of a text, split at CR LF, LF or CR; a final line break makes no
// empty last line.
std::vector<std::string> SplitLines(const std::string& text);

// A message box: a top-level "#32770" window.
struct Box {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;
  std::vector<int> buttons;  // ids of the visible buttons: IDOK, IDYES, ...
};
Box ReadBox(HWND hwnd);
std::string Describe(const Box& box);

// --- files on the test drives, through Win32 ---
std::vector<char> TestDrives();  // VELMORA_DRIVES, at least D, E, F
// Removes everything in the root of `letter`:, hidden and read-only too.
void ClearDrive(char letter);
// Writes `bytes` to `path` (folders made as needed), then sets `attributes`.
void PutFile(const std::string& path, const std::string& bytes,
             DWORD attributes = FILE_ATTRIBUTE_NORMAL);
bool Exists(const std::string& path);
// GetFileAttributesW; INVALID_FILE_ATTRIBUTES when missing.
DWORD Attributes(const std::string& path);
// The read-only, hidden, system and folder bits of a path; what "cleared"
// means. (Wine shows every plain file as archive, so that bit is left out.)
DWORD DosBits(const std::string& path);
std::string ReadAll(const std::string& path);

// One running velmora.exe.
class App {
 public:
  // Starts VELMORA_EXE with `directory` as its current folder (its current
  // drive) and waits for its main window. Check started() afterwards; on
  // failure the reason is recorded as a test failure.
  explicit App(const std::string& directory = "C:\\");
  ~App();  // ends the process if it still runs
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool started() const { return main_ != nullptr; }
  HWND main() const { return main_; }
  DWORD pid() const { return pid_; }

  // A child of the main window by class and caption; records a failure
  // (listing what is there) and gives nullptr when it is missing.
  HWND Control(const char* cls, const std::string& caption) const;
  // The two list boxes, told apart by their place: File1 left, List1 right.
  HWND FileList() const;
  HWND Log() const;
  HWND DriveCombo() const;
  std::vector<std::string> LogLines() const { return ListRows(Log()); }
  // Waits until the log holds at least `count` lines and has then stayed
  // unchanged for a short while; gives the lines.
  std::vector<std::string> WaitLog(size_t count, DWORD timeout_ms = kWaitMs);

  // --- acting ---
  // BM_CLICK by PostMessage, so that a modal box it opens does not block us.
  static void Click(HWND button);
  // Selects the drive row of `letter` in Drive1 and posts CBN_SELCHANGE.
  bool PickDrive(char letter);
  // Selects `row` of a list box and posts LBN_SELCHANGE.
  static bool ClickRow(HWND listbox, int row);
  // Posts a press of Tab to `target` as the keyboard sends it.
  static void PressTab(HWND target);
  // Posts a left click at the top-left corner of `control`'s client area.
  static void ClickInside(HWND control);

  // --- windows of the process ---
  std::vector<HWND> TopWindows() const;  // visible top-level windows
  HWND WaitTopWindow(const std::string& caption,
                     DWORD timeout_ms = kWaitMs) const;
  // The first visible message box other than `not_this`; nullopt (and a
  // recorded failure) on timeout.
  std::optional<Box> WaitBox(DWORD timeout_ms = kWaitMs,
                             HWND not_this = nullptr) const;
  // True when no message box shows during `ms`.
  bool NoBoxFor(DWORD ms) const;
  // Clicks the button `id` of the box and waits until the box is gone.
  static bool Answer(const Box& box, int id);

  bool Running() const;
  bool WaitExit(DWORD timeout_ms = kWaitMs) const;
  std::string DescribeWindows() const;

 private:
  PROCESS_INFORMATION process_ = {};
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

}  // namespace e2e
