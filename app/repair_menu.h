// The repair's item for the main window's menus (the drive list's context
// menu and the system menu): what the menus' provider adds for it. Its
// fields match a menu command's text, greyed state and action, so that the
// provider turns it into one item.
#pragma once

#include <functional>
#include <string>

#include "app/drive_repair.h"

namespace velmora {

struct RepairMenuItem {
  std::string text;     // "Repair Hidden Files on E:…"
  bool greyed = false;  // while a repair runs, or with no drive selected
  std::function<void()> choose;
};

// The item for the drive entry selected in the drive list. Choosing it
// starts the repair and then `start_ticking`, which starts the window's
// timer that calls repair.Tick() until it returns false.
RepairMenuItem MakeRepairMenuItem(DriveRepair& repair,
                                  const std::string& selected_drive,
                                  std::function<void()> start_ticking);

}  // namespace velmora
