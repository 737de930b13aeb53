// The controls the handlers read and write, built portably on a backend's
// Widget, Window and System. Their members carry the names the handlers use
// (Refresh, ListCount, List, Drive, AddItem, ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

// A drop-down list of the machine's drives. An entry is "E:" and nothing
// more; the visible row may add a volume label, which never reaches an entry.
class DriveList {
 public:
  // Fills the list with the drive letters, without asking any drive for its
  // label, and selects the current drive; fires nothing.
  // `on_change` runs when the user picks a drive, and when a refresh finds
  // the selected drive gone.
  DriveList(System& system, Widget& widget, Handler on_change);

  // Re-reads the drives. The selected drive stays selected while it is still
  // listed, and no Change fires; where it is gone, the current drive is
  // selected and Change fires once. Where the rows read are the rows shown,
  // the control is left untouched, so a timer's refresh neither redraws it
  // nor disturbs a user who is picking a drive.
  void Refresh(DriveRead read = DriveRead::Fresh);
  std::int16_t ListCount() const;
  // The entry of row i, "" where there is no such row.
  std::string List(int i) const;
  // The selected entry, "" where nothing is selected.
  std::string Drive() const;
  // Selects the drive of `entry` ("F:") as a user's pick would, Change
  // included, unless it is selected already; false where it is not listed.
  bool SelectDrive(const std::string& entry);

 private:
  int IndexOf(const std::string& entry) const;

  System& system_;
  Widget& widget_;
  Handler on_change_;
  std::vector<std::string> entries_;
  std::vector<std::string> rows_;  // as last given to the control
};

// A list of the files matching Pattern in Path, hidden and system included.
class FileList {
 public:
  // `on_click` runs when the user clicks a file.
  FileList(System& system, Widget& widget, std::string pattern,
           Handler on_click);

  void SetPattern(const std::string& pattern) { pattern_ = pattern; }
  // Re-reads the list for `path`. On failure the list and Path stay as they
  // were. The selected file stays selected while it is still listed.
  Error SetPath(const std::string& path);
  const std::string& Path() const { return path_; }
  // The selected file's name, "" where none is selected.
  std::string FileName() const;

 private:
  System& system_;
  Widget& widget_;
  std::string pattern_;
  std::string path_;
};

class ListBox {
 public:
  explicit ListBox(Widget& widget) : widget_(widget) {}
  void AddItem(const std::string& line) { widget_.AddRow(line); }
  void Clear() { widget_.SetRows({}); }
  std::int16_t ListCount() const;
  std::string List(int i) const;

 private:
  Widget& widget_;
};

// A label or a text box: one piece of text.
class TextControl {
 public:
  explicit TextControl(Widget& widget) : widget_(widget) {}
  void Set(const std::string& text) { widget_.SetText(text); }
  std::string Get() const { return widget_.Text(); }

 private:
  Widget& widget_;
};
using Label = TextControl;
using TextBox = TextControl;

class Button {
 public:
  Button(Widget& widget, Handler on_click) {
    widget.SetHandler(std::move(on_click));
  }
};

class CheckBox {
 public:
  // `on_click` runs after the user's click has changed the value.
  CheckBox(Widget& widget, Handler on_click) : widget_(widget) {
    widget_.SetHandler(std::move(on_click));
  }
  int Value() const { return widget_.Value(); }
  void SetValue(int value) { widget_.SetValue(value); }
  // A disabled box keeps its value and takes no click.
  void SetEnabled(bool enabled) { widget_.SetEnabled(enabled); }
  bool Enabled() const { return widget_.Enabled(); }

 private:
  Widget& widget_;
};

// Ticks at the interval its layout row gives, while enabled.
class Timer {
 public:
  Timer(Widget& widget, Handler on_timer) : widget_(widget) {
    widget_.SetHandler(std::move(on_timer));
  }
  void SetEnabled(bool enabled) { widget_.SetRunning(enabled); }

 private:
  Widget& widget_;
};

}  // namespace velmora
