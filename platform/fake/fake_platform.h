// An in-memory platform for tests: drives with readiness and write
// protection, files with attributes and links, injected failures, scripted
// message-box answers, and windows whose clicks and timer ticks are driven
// by hand.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora::fake {

// Win32 attribute bits and error codes, so that fake results read like real
// ones.
inline constexpr unsigned kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4,
                          kDirectory = 0x10, kArchive = 0x20,
                          kReparsePoint = 0x400;
inline constexpr std::uint32_t kErrFileNotFound = 2, kErrPathNotFound = 3,
                               kErrAccessDenied = 5, kErrWriteProtect = 19,
                               kErrNotReady = 21, kErrSharingViolation = 32,
                               kErrUnsupportedType = 1630, kErrMoreData = 234,
                               kErrAlreadyExists = 183, kErrDirectory = 267;
// The error object for `number`, with the system's text where it is known.
Error MakeError(std::uint32_t number);

struct FakeFile {
  std::string name;  // as created, in its case
  unsigned attributes = kArchive;
  std::string contents;
  std::string link_target;      // a link: the full path it points to
  bool delete_pending = false;  // deleted while another program holds it
};

struct FakeDrive {
  bool ready = true;
  bool write_protected = false;
  std::string label;
  DriveKind kind = DriveKind::Fixed;
};

enum class Op { Probe, ChangeDrive, SetAttr, Dir, Kill, ListFiles, ReadFile };

struct ShownBox {
  std::string text;
  int flags;
  std::string title;
};

class FakeSystem : public System {
 public:
  // --- setting the scene ---
  FakeDrive& AddDrive(char letter, bool ready = true);
  void RemoveDrive(char letter);
  FakeDrive& Drive(char letter);
  // Adds or replaces a file (or, with kDirectory, a folder) at `path`.
  FakeFile& AddFile(const std::string& path, std::string contents = "",
                    unsigned attributes = kArchive);
  FakeFile* Find(const std::string& path);
  bool Has(const std::string& path) { return Find(path) != nullptr; }
  // Makes every later `op` on `path` (a drive entry for Probe/ChangeDrive)
  // fail with `error`.
  void Fail(Op op, const std::string& path, std::uint32_t error);
  // Makes Kill on `path` report success while leaving the file in place, as
  // a file system that refuses writes silently does.
  void KillLies(const std::string& path) { lying_kills_.push_back(Key(path)); }
  // Another program opens the file at `path` with delete sharing: Kill
  // then only marks it for deletion, as Windows does. A marked file stays
  // listed (Dir, ListFiles, PathExists) and refuses every open, attribute
  // change and deletion with access denied until LetGo.
  void HoldOpen(const std::string& path) { held_.insert(Key(path)); }
  // That program closes the file; a file marked for deletion goes.
  void LetGo(const std::string& path);
  // Answers for the next message boxes, in order. Without a scripted answer
  // an OK box gets OK and a Yes/No box gets No.
  void Answer(int result) { answers_.push_back(result); }
  // Runs while each box waits, before it is answered (e.g. to tick timers).
  std::function<void(const ShownBox&)> while_box_waits;
  void SetCurrent(char letter) { current_ = letter; }
  // The program's own file, as ProgramPath gives it; its drive's kind is
  // that of the drive added for its letter.
  std::string program_path = "C:\\Tools\\velmora.exe";

  // --- what happened ---
  std::vector<ShownBox> boxes;
  std::optional<DriveRead> last_drive_read;  // how the drive list was read last
  bool ended = false;
  int calls(Op op) const;

  // --- System ---
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
  std::string ProgramPath() override { return program_path; }
  // A drive added here gives its kind, a \\server\share path is Network,
  // and anything else Unknown.
  DriveKind KindOfDrive(const std::string& path) override;
  int MsgBox(const std::string& text, int flags,
             const std::string& title) override;
  void End() override { ended = true; }

 private:
  static std::string Key(const std::string& path);
  // Checks injected failures and the drive of `path`; counts the call.
  Error Check(Op op, const std::string& path, bool writes);

  std::map<char, FakeDrive> drives_;
  std::map<std::string, FakeFile> files_;  // by upper-case full path
  std::map<std::pair<Op, std::string>, std::uint32_t> failures_;
  std::vector<std::string> lying_kills_;
  std::set<std::string> held_;
  std::map<Op, int> calls_;
  std::deque<int> answers_;
  bool labels_known_ = true;  // false after a read of the letters only
  char current_ = 'C';
};

class FakeWindowFactory;

// A control in memory. It has the members of its kind only, as the real
// controls do: others throw std::logic_error.
class FakeWidget : public Widget {
 public:
  explicit FakeWidget(const ControlLayout& layout)
      : layout(layout), text_(layout.caption) {}
  // A control outside any window, for tests of the handlers alone. The
  // caption must outlive the control.
  explicit FakeWidget(ControlKind kind, std::string_view caption = "")
      : FakeWidget(ControlLayout{"", kind, caption, 0, 0, 0, 0, -1}) {}
  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetRows(const std::vector<std::string>& rows) override;
  void AddRow(const std::string& row) override;
  std::vector<std::string> Rows() const override;
  int Selected() const override;
  void Select(int row) override;
  int Value() const override;
  void SetValue(int value) override;
  void SetRunning(bool running) override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetHandler(Handler handler) override;

  // Runs the bound handler, as the control's event would.
  void Raise();
  bool running() const { return running_; }
  bool bound() const { return static_cast<bool>(handler_); }

  const ControlLayout layout;

 private:
  std::string text_;
  std::vector<std::string> rows_;
  int selected_ = -1;
  int value_ = 0;
  bool running_ = false;
  bool enabled_ = true;
  Handler handler_;
};

class FakeWindow : public Window {
 public:
  FakeWindow(FakeWindowFactory& factory, const FormLayout& layout,
             WindowEvents events);
  ~FakeWindow() override;

  Widget& Control(std::string_view name) override { return Get(name); }
  void Show() override;
  void Hide() override { visible_ = false; }
  bool Visible() const override { return loaded_ && visible_; }
  void Unload() override { loaded_ = false; }
  bool Loaded() const override { return loaded_; }
  void SetMenuCommands(
      std::function<std::vector<MenuCommand>()> commands) override {
    menu_commands_ = std::move(commands);
  }
  void RunSteps(std::function<bool()> step) override {
    steps_ = std::move(step);
  }
  void RunLater(std::chrono::milliseconds delay, Handler then) override {
    later_delay_ = delay;
    later_ = std::move(then);
  }

  // --- driving it as a user would ---
  // The items the window's menus show when opened now; none without any.
  std::vector<MenuCommand> MenuItems() const;
  // Opens a menu and chooses the item showing `text`; false (and nothing
  // run) where there is no such item or it is greyed.
  bool ChooseMenuItem(std::string_view text);
  FakeWidget& Get(std::string_view name);
  // Clicks a button, or toggles a check box (0 -> 1, else -> 0) and clicks it;
  // a disabled control takes no click.
  void Click(std::string_view name);
  // Picks a row of the drive list and fires Change.
  void PickRow(std::string_view name, int row);
  // Clicks a row of the file list.
  void ClickRow(std::string_view name, int row);
  // One tick of a timer; does nothing while it is stopped.
  void Tick(std::string_view name);
  // The close box.
  void Close();
  // The user signs out.
  void EndSession();
  // Runs the steps given to RunSteps, as many as `limit` or until they end;
  // gives how many ran.
  int Step(int limit = 1000000);
  bool Stepping() const { return static_cast<bool>(steps_); }
  // The delay of what RunLater waits to run; nothing where nothing waits.
  std::optional<std::chrono::milliseconds> LaterDelay() const {
    if (!later_) return std::nullopt;
    return later_delay_;
  }
  // Its time has come: runs it; false where nothing waited.
  bool RunLaterNow();
  void SendDeviceArrival(DriveLetters letters);
  void SendDeviceRemoval(DriveLetters letters);
  // A later start of the program asks for the main window.
  void SendShowRequest();
  // Windows announces that policy was applied anew.
  void SendPolicyChange();
  bool TimerEnabled(std::string_view name) { return Get(name).running(); }
  // The interval a running timer ticks at; 0 while it is stopped.
  unsigned TimerInterval(std::string_view name);
  int shows = 0;

 private:
  FakeWindowFactory& factory_;
  const FormLayout& layout_;
  WindowEvents events_;
  std::vector<FakeWidget> widgets_;  // layout order
  bool loaded_ = true;  // from the moment it is made, as a native window
  bool visible_ = false;
  std::function<std::vector<MenuCommand>()> menu_commands_;
  std::function<bool()> steps_;
  Handler later_;
  std::chrono::milliseconds later_delay_{};
};

class FakeWindowFactory : public WindowFactory {
 public:
  std::unique_ptr<Window> Create(const FormLayout& layout,
                                 WindowEvents events) override;
  // The live window made from the layout named `form`, or nullptr.
  FakeWindow* Get(std::string_view form);
  int created = 0;

 private:
  friend class FakeWindow;
  std::map<std::string, FakeWindow*, std::less<>> live_;
};

}  // namespace velmora::fake
