// The automatic removal: on every tick of Timer1, delete each autorun.inf
// found on a ready drive, without asking, logging only what happened.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls.h"
#include "removal/removal_rules.h"

namespace velmora {

// What one walk of the automatic removal wrote to the log: the autorun
// paths it deleted, and those whose failed deletion it logged (each with
// the reason), and those it found and left by the organization's policy, in
// walk order.
struct RemovalRound {
  std::vector<std::string> removed;
  std::vector<std::pair<std::string, std::string>> failed;
  std::vector<std::string> left;
};

class AutoRemoval {
 public:
  RemovalRound Timer1_Timer(System& system, DriveList& Drive1, ListBox& List1);
  // The same work on the drives a volume message names only, in letter
  // order, so that a medium just inserted is cleaned without waiting for
  // every other drive to be listed and asked; the timer still walks them
  // all.
  RemovalRound RemoveFromArrived(System& system, ListBox& List1,
                                 DriveLetters arrived);
  // Forgets which failed deletions (and files left) were logged already.
  void Reset() { failure_logged_.clear(); }
  // Deletes (RemovalMode::Delete) or leaves every file, logged once while
  // it stays, as the organization's policy says (RemovalMode::LeaveByPolicy);
  // tells `observer` (which may be none) of each. Forgets what was logged.
  void Follow(RemovalMode mode, RemovalObserver* observer) {
    mode_ = mode;
    observer_ = observer;
    Reset();
  }

 private:
  // Deletes the autorun.inf of the ready drive `entry`, logging what
  // happened; notes a path whose deletion failed in `still_failing`.
  void Clean(System& system, const std::string& entry, ListBox& List1,
             std::set<std::string>& still_failing, RemovalRound& round,
             RemovalCause cause);
  // Logs a file found and left unless it was logged while it stayed.
  void LeaveOnce(const std::string& path, ListBox& List1,
                 std::set<std::string>& still_there, RemovalRound& round,
                 RemovalCause cause);
  // Logs the failure for `path` unless it was logged while it kept failing,
  // noting a first one in `round`, and notes it in `still_failing`.
  void LogFailureOnce(const std::string& path, const std::string& reason,
                      ListBox& List1, std::set<std::string>& still_failing,
                      RemovalRound& round, RemovalCause cause);

  // Paths whose failed deletion (or whose file left) was logged while the
  // timer ran.
  std::set<std::string> failure_logged_;
  RemovalMode mode_ = RemovalMode::Delete;
  RemovalObserver* observer_ = nullptr;
};

}  // namespace velmora
