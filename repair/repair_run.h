// Carries out a repair plan in steps: each call does at most a given number
// of file-system changes and hands back the log lines they produced, so a
// window can run it from a timer and stop between two files. A step that
// fails gets a failure line with the system's reason; the run goes on.
// Every change is made only inside a folder that is still the plain folder
// of the drive that the look found, held while the run works in it: one
// swapped for a junction (or another folder) gets a failure line and
// nothing in it changes; so does a worm shortcut that is no longer the file
// read. The drive itself is checked first: where it is no longer the one
// looked at, nothing changes at all.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_tree.h"
#include "repair/repair_plan.h"

namespace velmora {

class RepairRun {
 public:
  RepairRun(FileTree& tree, RepairPlan plan);
  // Lets go of the folders held.
  ~RepairRun();

  // Does at most `budget` steps, appending their lines to `lines`; false
  // once every step is done (the summary line is then the last one).
  bool Step(std::size_t budget, std::vector<std::string>& lines);
  bool Done() const { return next_ >= plan_.steps.size(); }
  std::size_t StepsDone() const { return next_; }
  std::size_t StepCount() const { return plan_.steps.size(); }
  std::size_t failures() const { return failures_; }
  std::size_t shortcuts_deleted() const { return deleted_; }
  // Folders and files made visible, at any depth.
  std::size_t entries_shown() const { return folders_ + files_; }
  // Each failed step so far, as the path and the system's reason.
  const std::vector<std::pair<std::string, std::string>>& failed_steps() const {
    return failed_steps_;
  }

 private:
  void Run(const RepairStep& step, std::vector<std::string>& lines);
  // Holds the folder of the step's entry, checked against the look; gives
  // in `expected` the entry's own identity where it is a folder.
  Error Guard(const RepairStep& step, const EntryId*& expected);
  // False, with a failure line, where the drive is not the one looked at.
  bool CheckDrive(std::vector<std::string>& lines);
  bool Check(const Error& error, const char* doing, const std::string& path,
             std::vector<std::string>& lines);
  std::string SummaryLine() const;

  FileTree& tree_;
  const RepairPlan plan_;
  std::size_t next_ = 0;
  bool drive_checked_ = false;
  std::size_t deleted_ = 0, folders_ = 0, files_ = 0, renamed_ = 0;
  std::size_t failures_ = 0;
  std::vector<std::pair<std::string, std::string>> failed_steps_;
  // Entries of the folder being made visible that stayed hidden.
  std::size_t files_failed_ = 0, folders_failed_ = 0;
};

}  // namespace velmora
