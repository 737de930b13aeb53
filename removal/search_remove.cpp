// Placeholder until the search is written.
#include "removal/search_remove.h"

namespace velmora {
void cmdremove_Click(System&, DriveList&, CheckBox&, ListBox&) {}
}  // namespace velmora
