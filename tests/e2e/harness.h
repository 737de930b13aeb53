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

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char kMainCaption[] = "Kestrin - Velmora 2.0";
inline constexpr DWORD kWaitMs = 10000;
inline constexpr DWORD kStartMs = 30000;
inline constexpr DWORD kTickMs = 900;  // the automatic removal's interval
inline constexpr COLORREF kBackground = RGB(192, 255, 192);  // main window

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// An environment variable, "" when it is not set.
std::string Env(const char* name);

inline std::string ErrorText(DWORD code) {
  return "error " + std::to_string(code);
}

// Polls `done` until it holds or `timeout_ms` passes; true when it held.
bool WaitFor(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs,
             DWORD step_ms = 20);

// SendMessageTimeout with a bounded wait; `ok` (when given) says whether it
// was answered.
LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
             bool* ok = nullptr);
// Top-level windows of process `pid` (0: of every process), in z-order.
std::vector<HWND> TopWindowsOf(DWORD pid, bool visible_only);

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
// The colour on the screen at client point (x, y) of `window`.
COLORREF ScreenPixel(HWND window, int x, int y);

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
void ClearTestDrives();
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

// Shows the automatic removal's ticks where there is nothing to remove: a
// hidden folder named autorun.inf. Every tick clears the attributes of
// X:\autorun.inf before it looks for the file, and a folder is no file to
// remove, so a tick leaves it in place, visible and unlogged. Put on the
// last drive of the walk, it is cleared at the end of the tick.
class TickMarker {
 public:
  explicit TickMarker(char drive);
  // Makes the folder where it is missing and hides it.
  void Arm() const;
  bool Armed() const;  // there, a folder, hidden
  // Waits until a tick has cleared the armed folder; false on timeout (a
  // tick that deleted it is no tick seen either).
  bool WaitTick(DWORD timeout_ms = 3 * kTickMs) const;

 private:
  std::string path_;
};

// One running velmora.exe.
class App {
 public:
  // Starts VELMORA_EXE with `directory` as its current folder (its current
  // drive) and waits for its main window. Check started() afterwards; on
  // failure the reason is recorded as a test failure. With `arguments`
  // ("/guard") the main window may stay hidden, and is waited for as such.
  explicit App(const std::string& directory = "C:\\",
               const std::string& arguments = "");
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
  HWND FileList() const { return ListBoxAt(0); }
  HWND Log() const { return ListBoxAt(1); }
  HWND DriveCombo() const;
  std::vector<std::string> LogLines() const { return ListRows(Log()); }
  // Waits until the log holds at least `count` lines, then until the
  // handler that wrote them has returned (Settle); gives the lines.
  std::vector<std::string> WaitLog(size_t count, DWORD timeout_ms = kWaitMs);

  // Waits until the program has handled every message posted to it so far:
  // a few round trips of a sent WM_NULL. Its window thread answers one only
  // when it next looks for a message, that is when the handler it was in
  // has returned or has opened a modal message box (whose loop answers),
  // and then takes the next posted message (our clicks and keys). False
  // when the program stopped answering.
  bool Settle() const;

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
  std::vector<HWND> TopWindows() const {  // visible top-level windows
    return TopWindowsOf(pid_, true);
  }
  HWND WaitTopWindow(const std::string& caption,
                     DWORD timeout_ms = kWaitMs) const;
  // The first visible message box other than `not_this`; nullopt (and a
  // recorded failure) on timeout.
  std::optional<Box> WaitBox(DWORD timeout_ms = kWaitMs,
                             HWND not_this = nullptr) const;
  // Message boxes of the process, shown or still being made.
  std::vector<HWND> Boxes() const;
  // True when the program, once settled, has no message box open: one that
  // a handler opened would still be there, as the handler waits for it.
  bool NoBox() const;
  // Clicks the button `id` of the box and waits until the box is gone.
  static bool Answer(const Box& box, int id);

  bool Running() const;
  bool WaitExit(DWORD timeout_ms = kWaitMs) const;
  std::string DescribeWindows() const;

 private:
  HWND ListBoxAt(size_t place) const;  // 0: the left one, 1: the right one

  PROCESS_INFORMATION process_ = {};
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// A test on the test drives: they are empty when it starts and are emptied
// again when it ends.
class OnEmptyDrives : public ::testing::Test {
 protected:
  void SetUp() override { ClearTestDrives(); }
  void TearDown() override { ClearTestDrives(); }
};

}  // namespace e2e
