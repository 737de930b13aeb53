#include "app/repair_menu.h"

namespace velmora {

RepairMenuItem MakeRepairMenuItem(DriveRepair& repair,
                                  const std::string& selected_drive,
                                  std::function<void()> start_ticking) {
  RepairMenuItem item;
  item.text = DriveRepair::MenuText(selected_drive);
  item.greyed = repair.Running() || selected_drive.size() < 2;
  item.choose = [&repair, selected_drive, start_ticking] {
    if (repair.Start(selected_drive)) start_ticking();
  };
  return item;
}

}  // namespace velmora
