// The platform contract: every service the program takes from the operating
// system, declared once here and implemented by two backends, win32/ (the
// real one) and fake/ (in memory, for tests). Nothing outside platform/ may
// include a backend header or <windows.h>; everything talks to these types.
//
// All text is UTF-8. Paths are passed exactly as the caller built them; a
// backend never expands wildcards or follows a path anywhere else.
#pragma once

#include <cstdint>
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
};

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

// Operating-system services that are not windows: drives, files, message
// boxes and the end of the program.
class System {
 public:
  virtual ~System() = default;

  // The drive entries of the machine in letter order: "C:", "D:", ...
  virtual std::vector<std::string> DriveEntries() = 0;
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
  // never the file it points to.
  virtual Error SetAttrZero(const std::string& path) = 0;
  // The existence test: the name of the first file (not folder) matching
  // `path` that is neither hidden nor system, else "".
  virtual std::string Dir(const std::string& path, Error& error) = 0;
  // Deletes the one file at `path` (no wildcards). A link is deleted as a
  // link.
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
  virtual FileBytes ReadFile(const std::string& path, std::size_t max_bytes,
                             Error& error) = 0;
  // Converts text in the system's ANSI code page to UTF-8.
  virtual std::string AnsiToUtf8(std::string_view ansi) = 0;

  // Shows a message box and waits for the answer. An empty title means the
  // application's title. Timers keep ticking while it waits.
  virtual int MsgBox(const std::string& text, int flags,
                     const std::string& title) = 0;
  // Ends the program at once, closing every window. Callers return
  // straight after it.
  virtual void End() = 0;
};

// What a window reports to its owner.
enum class Event {
  Click,          // a button, check box or file list was clicked
  Change,         // the drive list's selection was changed by the user
  Timer,          // a timer ticked
  Unload,         // the window was closed by its close box
  DeviceArrival,  // a volume arrived (removable medium, disc)
  DeviceRemoval,  // a volume went away
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  // `control` is the name from the layout ("cmdremove", "Timer1"); empty for
  // events of the window itself.
  virtual void OnEvent(std::string_view control, Event event) = 0;
};

// One native control of a window. Which members mean something depends on
// the kind; the others do nothing.
class Widget {
 public:
  virtual ~Widget() = default;

  // Caption of a button, check box or label; text of a text box.
  virtual void SetText(const std::string& text) = 0;
  virtual std::string Text() const = 0;

  // Rows of a list box or drop-down list.
  virtual void SetRows(const std::vector<std::string>& rows) = 0;
  virtual void AddRow(const std::string& row) = 0;
  virtual std::vector<std::string> Rows() const = 0;
  // Selected row, -1 for none. Select fires no event.
  virtual int Selected() const = 0;
  virtual void Select(int row) = 0;

  // Check box value: 0 unchecked, 1 checked, 2 greyed.
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;
};

class Window {
 public:
  virtual ~Window() = default;

  virtual Widget& Control(std::string_view name) = 0;
  // Shows the window (not modal) and brings it forward.
  virtual void Show() = 0;
  // Closes the native window. The object stays, reporting !Loaded().
  virtual void Unload() = 0;
  virtual bool Loaded() const = 0;
  // Starts or stops the timer of the layout named `name`; a started timer
  // reports Event::Timer every `interval_ms` until stopped.
  virtual void SetTimer(std::string_view name, bool enabled,
                        unsigned interval_ms) = 0;
};

// Creates windows from their layouts. The sink must outlive the window.
class WindowFactory {
 public:
  virtual ~WindowFactory() = default;
  virtual std::unique_ptr<Window> Create(const FormLayout& layout,
                                         EventSink& sink) = 0;
};

}  // namespace velmora
