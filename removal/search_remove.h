// The main command: search every ready drive for autorun.inf and remove it.
#pragma once

#include "platform/controls.h"

namespace velmora {

// Click of cmdremove. Check3 chooses the confirming (1) or silent mode.
void cmdremove_Click(System& system, DriveList& Drive1, CheckBox& Check3,
                     ListBox& List1);

}  // namespace velmora
