// The main command: search every ready drive for autorun.inf and remove it.
#pragma once

#include <string>

#include "platform/controls.h"
#include "removal/removal_rules.h"

namespace velmora {

// What the search of one drive came to.
enum class SearchOutcome {
  NotReady,   // no such drive, or not ready: nothing was asked of it
  Clean,      // no autorun.inf in its root
  Deleted,    // deleted, and gone afterwards
  Failed,     // there, and still there
  Cancelled,  // the user answered No
  Found,      // reported and left (RemovalMode::Report)
  Left,       // left by the organization's policy
};

// Searches the root of the drive `entry` ("E:") and treats its autorun.inf
// as `rules` say, asking first where `confirming`; every step goes to
// `List1`.
SearchOutcome SearchDrive(System& system, const std::string& entry,
                          bool confirming, ListBox& List1,
                          const RemovalRules& rules);

// Click of cmdremove. Check3 chooses the confirming (1) or silent mode.
void cmdremove_Click(System& system, DriveList& Drive1, CheckBox& Check3,
                     ListBox& List1, const RemovalRules& rules = {});

}  // namespace velmora
