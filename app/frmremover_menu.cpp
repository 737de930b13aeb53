// The main window's own menus: the drive list's context menu and the items
// below the separator of its system menu hold the same commands, asked for
// afresh each time one opens so that check marks show the current state.
#include "app/frmremover.h"

namespace velmora {

std::vector<MenuCommand> Frmremover::MenuCommands() {
  return {autorun_switch_.Command()};
}

}  // namespace velmora
