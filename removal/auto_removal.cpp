// Placeholder until the automatic removal is written.
#include "removal/auto_removal.h"

namespace velmora {
void AutoRemoval::Timer1_Timer(System&, DriveList&, ListBox&) {}
}  // namespace velmora
