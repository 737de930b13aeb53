// The program's own menus, opened and chosen from the keyboard as a user
// would: a menu of another process cannot be read item by item under Wine.
#pragma once

#include <windows.h>

#include "harness.h"

namespace e2e {

// Posts a press and release of `key` to `window`.
void PostKey(HWND window, WPARAM key);
// The popup menu of the app's process once it shows, or nullptr (and a
// recorded failure).
HWND WaitMenu(const App& app);
// True once no popup menu of the app shows.
bool MenuGone(const App& app);
// Alt+Space: the system menu, the program's items last.
HWND OpenSystemMenu(const App& app);
// A right click on the drive list: its context menu.
HWND OpenContextMenu(const App& app);
// Chooses the open menu's item that `key` (VK_HOME, VK_END) selects and
// waits until the menu has gone.
bool ChooseItem(const App& app, WPARAM key);

// The program's items, in the order both menus show them: first in the
// drive list's menu, last (below a separator) in the system menu.
enum class ProgramItem { Autorun, Repair, Signin, Guard };
inline constexpr int kProgramItems = 4;
// Chooses `item` in the open menu from the keyboard and waits until the
// menu has gone.
bool ChooseProgramItem(const App& app, ProgramItem item, bool system_menu);

}  // namespace e2e
