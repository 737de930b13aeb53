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
  // Forgets which failed deletions were logged already.
  void Reset() { failure_logged_.clear(); }

 private:
  // Paths whose failed deletion was logged while the timer ran.
  std::set<std::string> failure_logged_;
};

}  // namespace velmora
