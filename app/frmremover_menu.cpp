// The main window's own menus: the drive list's context menu and the items
// below the separator of its system menu hold the same commands, asked for
// afresh each time one opens so that check marks show the current state.
#include "app/frmremover.h"
#include "app/repair_menu.h"

namespace velmora {

std::vector<MenuCommand> Frmremover::MenuCommands() {
  RepairMenuItem repair = MakeRepairMenuItem(
      drive_repair_, Drive1.Drive(),
      [this] { window->RunSteps([this] { return drive_repair_.Tick(); }); });
  std::vector<MenuCommand> items = {
      PolicyItem(autorun_switch_.Command(), OrgValue::AutoRunSwitch),
      PolicyItem({repair.text, false, repair.greyed, std::move(repair.choose)},
                 OrgValue::Repair),
      signin_switch_.Command()};
  if (icons_)
    items.push_back(PolicyItem({"Guard from the Notification Area", Guarding(),
                                false, [this] { Guard(); }},
                               OrgValue::Guard));
  return items;
}

}  // namespace velmora
