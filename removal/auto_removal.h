// The automatic removal: on every tick of Timer1, delete each autorun.inf
// found on a ready drive, without asking, logging only what happened.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls.h"

namespace velmora {

// What one walk of the automatic removal wrote to the log: the autorun
// paths it deleted, and those whose failed deletion it logged (each with
// the reason), in walk order.
struct RemovalRound {
  std::vector<std::string> removed;
  std::vector<std::pair<std::string, std::string>> failed;
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
  // Forgets which failed deletions were logged already.
  void Reset() { failure_logged_.clear(); }

 private:
  // Deletes the autorun.inf of the ready drive `entry`, logging what
  // happened; notes a path whose deletion failed in `still_failing`.
  void Clean(System& system, const std::string& entry, ListBox& List1,
             std::set<std::string>& still_failing, RemovalRound& round);
  // Logs the failure for `path` unless it was logged while it kept failing,
  // noting a first one in `round`, and notes it in `still_failing`.
  void LogFailureOnce(const std::string& path, const std::string& reason,
                      ListBox& List1, std::set<std::string>& still_failing,
                      RemovalRound& round);

  // Paths whose failed deletion was logged while the timer ran.
  std::set<std::string> failure_logged_;
};

}  // namespace velmora
