// The platform contract: every service the program takes from the operating
// system, declared once here and implemented by two backends, win32/ (the
// real one) and fake/ (in memory, for tests). Nothing outside platform/ may
// include a backend header or <windows.h>; everything talks to these types.
//
// All text is UTF-8. Paths are passed exactly as the caller built them; a
// backend never expands wildcards or follows a path anywhere else.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/layout.h"

namespace velmora {

// The error object: Number is 0 and Description empty while nothing failed.
// On Win32 the number is the system error code (GetLastError) and the
// description the system's message for it.
struct Error {
  std::uint32_t number = 0;
  std::string description;

  bool failed() const { return number != 0; }
  // The failure says only that nothing is at the path (the system's "file
  // not found" and "path not found", 2 and 3 on Win32 and on the fake).
  bool nothing_there() const { return number == 2 || number == 3; }
};

// The failure of a read that met a link or junction: the system's "the
// create operation stopped after reaching a symbolic link" (681), with a
// description of the program's own.
inline constexpr std::uint32_t kLinkNotOpenedNumber = 681;
inline constexpr const char* kLinkNotOpenedText =
    "The file is a link or junction; it was not opened, so that nothing it "
    "leads to is read or asked for.";
inline Error LinkNotOpened() {
  return {kLinkNotOpenedNumber, kLinkNotOpenedText};
}

// Message box flags and results, as the program uses them.
enum MsgBoxFlags : int {
  kOkOnly = 0,
  kOkCritical = 16,  // the platform's own error message
  kOkCancelExclamation = 49,
  kYesNoInformation = 68,
};
enum MsgBoxResult : int {
  kResultOk = 1,
  kResultCancel = 2,
  kResultYes = 6,
  kResultNo = 7,
};

// What a drive probe learns about one drive entry.
struct DriveStatus {
  bool exists = false;  // the system knows the drive letter
  bool ready = false;   // a medium is present and readable
  Error error;          // set when the probe itself failed
};

// The bytes of a file read for sequential input, at most the asked size.
struct FileBytes {
  std::string bytes;
  bool truncated = false;  // the file holds more than was read
};

// How fresh a read of the drive list must be.
enum class DriveRead {
  // The system is asked for its drive letters now.
  Fresh,
  // The letters read within the last few seconds may stand, unless the
  // system has announced a change since (a volume arrived or left, a drive
  // letter was defined). For reads that repeat on a timer: asking for the
  // letters is not free everywhere (under Wine it takes about a millisecond
  // of processor time), and a drive that comes the usual way is announced.
  Recent,
  // The system's drive letters now, with labels only as far as they are
  // known already: no drive is asked. For the first fill of a list, so that
  // its window shows without waiting on any drive.
  LettersOnly,
};

// What kind of drive a path lies on, as Windows tells it.
enum class DriveKind {
  Unknown,    // not known (no such drive, or the system could not tell)
  Fixed,      // a hard disk or SSD of the machine
  Removable,  // a USB stick, a card, a floppy; also a USB hard disk
  Network,    // a network share, mapped or by its \\server\share name
  CdRom,      // a CD, DVD or Blu-ray drive
  RamDisk,
  Subst,  // a letter that SUBST made stand for a folder; gone at sign-out
};

// Operating-system services that are not windows: drives, files, message
// boxes and the end of the program.
class System {
 public:
  virtual ~System() = default;

  // The drive entries of the machine in letter order: "C:", "D:", ...
  virtual std::vector<std::string> DriveEntries(DriveRead read) = 0;
  // The text shown for an entry's row in the drive list: the entry itself,
  // perhaps followed by the volume label. Never used to build a path.
  virtual std::string DriveRowText(const std::string& entry) = 0;
  // The entry of the current drive ("C:").
  virtual std::string CurrentDrive() = 0;
  // Makes the drive named by the first letter of `entry` the current drive.
  // The current drive is the program's own record: no folder of that drive
  // is held open because of it.
  virtual Error ChangeDrive(const std::string& entry) = 0;
  // Whether the drive of `entry` exists and is ready. Keeps nothing open.
  virtual DriveStatus ProbeDrive(const std::string& entry) = 0;

  // Clears read-only, hidden, system and archive. A link is changed itself,
  // never the file it points to. On a write-protected medium it fails with
  // the system's write-protect error (19, "The media is write protected."),
  // also where the file system itself answers "access denied".
  virtual Error SetAttrZero(const std::string& path) = 0;
  // The existence test: the name of the first file (not folder) matching
  // `path` that is neither hidden nor system, else "".
  virtual std::string Dir(const std::string& path, Error& error) = 0;
  // Deletes the one file at `path` (no wildcards). A link is deleted as a
  // link. A write-protected medium fails as for SetAttrZero.
  virtual Error Kill(const std::string& path) = 0;
  // Whether anything (file, folder, link; hidden or not) is at `path`.
  // A file deleted while another program holds it open with delete
  // sharing is still there until that program closes it.
  virtual bool PathExists(const std::string& path) = 0;
  // Whether `path` is such a file: deleted, but kept by another program
  // that still has it open, so that it goes only when that program closes
  // it.
  virtual bool DeletePending(const std::string& path) = 0;
  // Names of the files (not folders), hidden and system ones included, that
  // match `pattern` in `folder`. A folder that is a bare drive entry ("E:")
  // means that drive's current folder.
  virtual std::vector<std::string> ListFiles(const std::string& folder,
                                             const std::string& pattern,
                                             Error& error) = 0;
  // Opens `path` for input, reads at most `max_bytes` and closes it again.
  // The file is opened as itself: a link or junction (any reparse point) is
  // not read through, nor is anything it names asked for (a link to a
  // server would make Windows sign in there); the read fails with
  // LinkNotOpened().
  virtual FileBytes ReadFile(const std::string& path, std::size_t max_bytes,
                             Error& error) = 0;
  // Converts text in the system's ANSI code page to UTF-8.
  virtual std::string AnsiToUtf8(std::string_view ansi) = 0;

  // The running program's own file, its full path ("C:\Tools\velmora.exe");
  // "" where the system cannot tell.
  virtual std::string ProgramPath() = 0;
  // The kind of the drive (or the mounted volume, or the share) that the
  // full path `path` lies on.
  virtual DriveKind KindOfDrive(const std::string& path) = 0;

  // Shows a message box and waits for the answer. An empty title means the
  // application's title. Timers keep ticking while it waits.
  virtual int MsgBox(const std::string& text, int flags,
                     const std::string& title) = 0;
  // Ends the program at once, closing every window. Callers return
  // straight after it.
  virtual void End() = 0;
};

// The handler of one event. Handlers are bound when their control or window
// is made, so that an event always reaches exactly the code written for it.
using Handler = std::function<void()>;

// The drive letters that a volume message names, as Windows gives them
// (bit 0 is A:, bit 25 is Z:).
class DriveLetters {
 public:
  constexpr DriveLetters() = default;
  constexpr explicit DriveLetters(std::uint32_t mask)
      : mask_(mask & 0x03FFFFFFu) {}
  // Whether the drive of `entry` ("E:") is among them.
  bool Has(std::string_view entry) const;
  std::uint32_t mask() const { return mask_; }
  bool operator==(const DriveLetters&) const = default;

 private:
  std::uint32_t mask_ = 0;
};

// What a window itself reports: its close box, volumes (removable media,
// discs) arriving and going away, and a later start of the program asking
// the running copy to show its main window. Any of them may be left empty.
struct WindowEvents {
  Handler onUnload;
  std::function<void(DriveLetters)> onDeviceArrival;
  std::function<void(DriveLetters)> onDeviceRemoval;
  // Asked first when the user closes the window (close box, Alt+F4, Close
  // of the system menu): false keeps the window, and onUnload does not
  // run. Empty, every close goes on.
  std::function<bool()> onCloseRequest;
  // The user signs out or the computer shuts down: the program ends now,
  // without asking anything.
  Handler onEndSession;
  // A later start of the program asks for this window, which may be
  // hidden: show it and bring it forward.
  Handler onShowRequest;
  // Windows announces that Group Policy was applied anew (on Win32
  // WM_SETTINGCHANGE with "Policy"): the policy values may have changed.
  Handler onPolicyChange;
};

// One native control of a window. Each kind of control has its own members
// (see platform/widget_kinds.h); calling a member that the kind lacks is a
// fault in the program, and both backends throw std::logic_error for it.
class Widget {
 public:
  virtual ~Widget() = default;

  // Caption of a button, check box or label; text of a text box.
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;

  // Rows of a list box, file list or drive list.
  virtual void SetRows(const std::vector<std::string>& rows) = 0;
  virtual void AddRow(const std::string& row) = 0;
  virtual std::vector<std::string> Rows() const = 0;
  // Selected row, -1 for none. Select fires no event.
  virtual int Selected() const = 0;
  virtual void Select(int row) = 0;

  // Check box value: 0 unchecked, 1 checked, 2 greyed.
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;

  // Timers: starts ticking every interval of the control's layout row, or
  // stops.
  virtual void SetRunning(bool running) = 0;

  // Whether the user can use the control: a disabled one shows greyed and
  // raises no event from the user. Every kind but a timer and a line;
  // all start enabled.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;

  // Binds the handler of the one event this kind of control raises: Click
  // for a button, check box or file list, Change for a drive list (picked by
  // the user), Timer for a timer. Replaces an earlier handler.
  virtual void SetHandler(Handler handler) = 0;
};

// One item of a window's menus: what it says, its check mark, whether it is
// greyed (shown, not choosable), and what choosing it does.
struct MenuCommand {
  std::string text;
  bool checked = false;
  bool greyed = false;
  std::function<void()> onChoose;
};

class Window {
 public:
  virtual ~Window() = default;

  // The control named `name` in the layout; throws std::out_of_range for a
  // name the layout does not have.
  virtual Widget& Control(std::string_view name) = 0;
  // Shows the window (not modal), restored where it was minimised, and
  // brings it forward. Throws
  // std::logic_error where a control that raises events has no handler, so
  // that a window never appears with a control that would do nothing.
  virtual void Show() = 0;
  // Takes the window off the screen and the taskbar; it stays loaded, and
  // its timers and messages go on. Show brings it back.
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  // Closes the native window. The object stays, reporting !Loaded().
  virtual void Unload() = 0;
  virtual bool Loaded() const = 0;
  // The window asks `commands` for the current items each time the drive
  // list's context menu (right click, Shift+F10, menu key while it has focus)
  // or the window's system menu (Alt+Space) opens; they show below a
  // separator in the system menu; choosing one runs its onChoose.
  virtual void SetMenuCommands(
      std::function<std::vector<MenuCommand>()> commands) = 0;
  // Runs `step` from the window's own timer, between other messages, until
  // it returns false: for work done in short steps so that the window keeps
  // answering (a repair). A new call replaces the steps of an earlier one.
  virtual void RunSteps(std::function<bool()> step) = 0;
  // Runs `then` once from the window's own timer after `delay`, between
  // other messages: for a try again later. A new call replaces one that has
  // not run yet; an empty `then` only cancels it.
  virtual void RunLater(std::chrono::milliseconds delay, Handler then) = 0;
};

// Creates windows from their layouts. The handlers must outlive the window.
class WindowFactory {
 public:
  virtual ~WindowFactory() = default;
  virtual std::unique_ptr<Window> Create(const FormLayout& layout,
                                         WindowEvents events) = 0;
};

}  // namespace velmora
