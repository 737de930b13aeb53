// A window's own menus on Win32: the context menu of its drive list and the
// commands added below a separator to its system menu. The items are asked
// for each time one of the menus opens, so the menus show the state of that
// moment; choosing an item runs the command of the menu it was chosen in.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/platform.h"

namespace velmora::win32 {

class Win32Menus {
 public:
  // `context_control` names the control whose context menu a WM_CONTEXTMENU
  // from `clicked` opens: the drive list for itself and its parts, nullptr
  // for every other window (which then gets no menu of ours).
  explicit Win32Menus(std::function<HWND(HWND clicked)> context_control)
      : context_control_(std::move(context_control)) {}

  void SetCommands(std::function<std::vector<MenuCommand>()> commands) {
    commands_ = std::move(commands);
  }
  // Handles the messages of the menus for `window`; nullopt for every other
  // message, which the window then handles as before.
  std::optional<LRESULT> Handle(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam);

 private:
  // Asks for the items and appends them to `menu`; false when there are none.
  bool Fill(HMENU menu);
  void OpenContextMenu(HWND window, HWND control, LPARAM where);
  void RebuildSystemMenu(HMENU menu);
  // Runs the item with menu id `id`, if it is one of ours.
  bool Choose(UINT id);

  std::function<HWND(HWND)> context_control_;
  std::function<std::vector<MenuCommand>()> commands_;
  std::vector<MenuCommand> shown_;  // the items of the menu opened last
  UINT system_items_ = 0;  // items of ours in the system menu, separator too
};

// Shift+F10 and the menu key, pressed in a control of ours, ask that control
// for its context menu (WM_CONTEXTMENU with the position -1), which the
// drive list passes on to its window. The default window procedure would do
// the same, but a drop-down list keeps the system keys to itself on some
// systems (Wine), so the message loop asks first. True when `msg` was one
// of these keys and is taken.
bool TakeContextMenuKey(const MSG& msg);

// Opens `items` as a pop-up menu of `window` at `place` (screen
// coordinates) and runs the item chosen, if any. An item with an empty text
// is a separator; the item at `default_item` shows as the default (bold).
// False where the menu closed with no item chosen (Esc, a click elsewhere).
bool TrackCommands(HWND window, const std::vector<MenuCommand>& items,
                   POINT place, std::size_t default_item);

}  // namespace velmora::win32
