// The command "Repair Hidden Files on <drive>…" of the main window's menus.
// It looks at the drive in steps, asks Yes/No with what it will do, then
// repairs in steps, writing each change to the activity log. The window
// drives it: Start when the item is chosen, Tick from a timer while
// Running(), Stop when the window closes (between two files).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/event_record.h"
#include "platform/controls.h"
#include "platform/file_tree.h"
#include "platform/platform.h"
#include "repair/repair_run.h"
#include "repair/repair_scan.h"

namespace velmora {

// Why the drive `drive` ("E:") is not repaired: it is the Windows drive
// `windows_drive`, or tied to that Windows; nothing where it may be.
std::optional<std::string> RepairRefusal(FileTree& tree,
                                         const std::string& drive,
                                         const std::string& windows_drive);

class DriveRepair {
 public:
  // `windows_drive` ("C:") is never repaired.
  DriveRepair(System& system, FileTree& tree, ListBox& log,
              std::string windows_drive);
  ~DriveRepair();

  // The item's text for the selected drive entry.
  static std::string MenuText(const std::string& drive_entry);

  // Starts on the drive of `drive_entry`; false when it is refused (the
  // Windows drive, with a box saying why) or a repair already runs.
  bool Start(const std::string& drive_entry);
  // Works for a short while (a few tens of milliseconds at most, ending
  // between two files); false once nothing runs any more. A tick that
  // comes while the question waits does nothing.
  bool Tick();
  // Stops between two steps; a repair under way logs that it stopped.
  void Stop();
  bool Running() const { return phase_ != Phase::kIdle; }
  // Where each failed step and each finished repair are recorded; none
  // (the start) records nothing.
  void SetEvents(EventRecord* events) { events_ = events; }

 private:
  enum class Phase { kIdle, kLooking, kAsking, kRepairing };
  void FinishLooking();
  // Records the steps that failed since the last call, and the end.
  void RecordEvents();

  System& system_;
  FileTree& tree_;
  ListBox& log_;
  const std::string windows_drive_;
  std::string drive_;
  Phase phase_ = Phase::kIdle;
  std::unique_ptr<RepairScan> scan_;
  std::unique_ptr<RepairRun> run_;
  EventRecord* events_ = nullptr;
  std::size_t failures_recorded_ = 0;
};

}  // namespace velmora
