#include "menus.h"

#include <gtest/gtest.h>

namespace e2e {

void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

HWND WaitMenu(const App& app) {
  HWND found = nullptr;
  WaitFor([&] {
    for (HWND top : app.TopWindows())
      if (ClassOf(top) == "#32768") found = top;
    return found != nullptr;
  });
  if (!found) ADD_FAILURE() << "no menu opened; " << app.DescribeWindows();
  return found;
}

bool MenuGone(const App& app) {
  return WaitFor([&] {
    for (HWND top : app.TopWindows())
      if (ClassOf(top) == "#32768") return false;
    return true;
  });
}

HWND OpenSystemMenu(const App& app) {
  PostMessageW(app.main(), WM_SYSKEYDOWN, VK_SPACE, 0x20390001);
  PostMessageW(app.main(), WM_SYSKEYUP, VK_SPACE, 0xE0390001);
  return WaitMenu(app);
}

HWND OpenContextMenu(const App& app) {
  HWND combo = app.DriveCombo();
  PostMessageW(combo, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  PostMessageW(combo, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  return WaitMenu(app);
}

bool ChooseItem(const App& app, WPARAM key) {
  PostKey(app.main(), key);
  PostKey(app.main(), VK_RETURN);
  return MenuGone(app);
}

// Home selects the first item, End the last; the arrows walk from there.
bool ChooseProgramItem(const App& app, ProgramItem item, bool system_menu) {
  const int place = static_cast<int>(item);
  PostKey(app.main(), system_menu ? VK_END : VK_HOME);
  const int steps = system_menu ? kProgramItems - 1 - place : place;
  for (int i = 0; i < steps; ++i)
    PostKey(app.main(), system_menu ? VK_UP : VK_DOWN);
  PostKey(app.main(), VK_RETURN);
  return MenuGone(app);
}

}  // namespace e2e
