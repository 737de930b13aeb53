// The automatic removal: on every tick of Timer1, delete each autorun.inf
// found on a ready drive, without asking, logging only what happened.
#pragma once

#include <set>
#include <string>

#include "platform/controls.h"

namespace velmora {

class AutoRemoval {
 public:
  void Timer1_Timer(System& system, DriveList& Drive1, ListBox& List1);
  // The same work on the drives a volume message names only, so that a
  // medium just inserted is cleaned without waiting for every other drive;
  // the timer still walks them all.
  void RemoveFromArrived(System& system, DriveList& Drive1, ListBox& List1,
                         DriveLetters arrived);
  // Forgets which failed deletions were logged already.
  void Reset() { failure_logged_.clear(); }

 private:
  // Walks the listed drives that `wanted` accepts.
  template <typename Wanted>
  void Walk(System& system, DriveList& Drive1, ListBox& List1, Wanted wanted);

  // Paths whose failed deletion was logged while the timer ran.
  std::set<std::string> failure_logged_;
};

}  // namespace velmora
