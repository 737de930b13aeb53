#include "platform/win32/win32_menu.h"

#include <string>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

// Item ids: below 0xF000 and multiples of 16, as the system menu needs
// (WM_SYSCOMMAND uses the low four bits of its id itself). The separator
// is the id just below the first item's.
constexpr UINT kIdStep = 0x10;
constexpr UINT kSeparatorId = 0x1000;
constexpr UINT kFirstItemId = kSeparatorId + kIdStep;

UINT ItemId(std::size_t index) {
  return kFirstItemId + static_cast<UINT>(index) * kIdStep;
}

// An ampersand in a menu marks the next letter as its key; the program's
// texts show theirs as they are.
std::wstring MenuText(const std::string& text) {
  std::wstring wide;
  for (wchar_t c : Widen(text)) {
    wide += c;
    if (c == L'&') wide += L'&';
  }
  return wide;
}

// Where a context menu opens: at the pointer for a click, below the control
// for Shift+F10 or the menu key (which give -1 as the position).
POINT MenuPlace(HWND control, LPARAM where) {
  if (where == -1) {
    RECT rect;
    GetWindowRect(control, &rect);
    return {rect.left, rect.bottom};
  }
  return {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
}

}  // namespace

std::optional<LRESULT> Win32Menus::Handle(HWND window, UINT message,
                                          WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CONTEXTMENU: {
      HWND control = context_control_(reinterpret_cast<HWND>(wparam));
      if (!control || !commands_) return std::nullopt;
      OpenContextMenu(window, control, lparam);
      return 0;
    }
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wparam) != GetSystemMenu(window, FALSE))
        return std::nullopt;
      RebuildSystemMenu(reinterpret_cast<HMENU>(wparam));
      return 0;
    case WM_SYSCOMMAND:
      if (!Choose(static_cast<UINT>(wparam & 0xFFF0))) return std::nullopt;
      return 0;
    default:
      return std::nullopt;
  }
}

bool Win32Menus::Fill(HMENU menu) {
  shown_ = commands_ ? commands_() : std::vector<MenuCommand>{};
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    const MenuCommand& item = shown_[i];
    UINT flags = MF_STRING;
    if (item.checked) flags |= MF_CHECKED;
    if (item.greyed) flags |= MF_GRAYED;
    AppendMenuW(menu, flags, ItemId(i), MenuText(item.text).c_str());
  }
  return !shown_.empty();
}

void Win32Menus::OpenContextMenu(HWND window, HWND control, LPARAM where) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  if (Fill(menu)) {
    const POINT place = MenuPlace(control, where);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
        place.x, place.y, 0, window, nullptr));
    DestroyMenu(menu);
    Choose(chosen);
    return;
  }
  DestroyMenu(menu);
}

// The items of the last opening go, and the current ones come in their
// place, each time the system menu opens.
void Win32Menus::RebuildSystemMenu(HMENU menu) {
  for (UINT i = 0; i < system_items_; ++i)
    DeleteMenu(menu, kSeparatorId + i * kIdStep, MF_BYCOMMAND);
  system_items_ = 0;
  const UINT separator_at = static_cast<UINT>(GetMenuItemCount(menu));
  if (!Fill(menu)) return;
  InsertMenuW(menu, separator_at, MF_BYPOSITION | MF_SEPARATOR, kSeparatorId,
              nullptr);
  system_items_ = static_cast<UINT>(shown_.size()) + 1;
}

bool TakeContextMenuKey(const MSG& msg) {
  const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
  const bool shift_f10 =
      msg.wParam == VK_F10 && shift &&
      (msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP);
  const bool menu_key = msg.wParam == VK_APPS &&
                        (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP);
  if (!shift_f10 && !menu_key) return false;
  if (msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYDOWN)
    SendMessageW(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd),
                 -1);
  return true;
}

bool TrackCommands(HWND window, const std::vector<MenuCommand>& items,
                   POINT place, std::size_t default_item) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuCommand& item = items[i];
    if (item.text.empty()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item.checked) flags |= MF_CHECKED;
    if (item.greyed) flags |= MF_GRAYED;
    AppendMenuW(menu, flags, ItemId(i), MenuText(item.text).c_str());
  }
  if (default_item < items.size())
    SetMenuDefaultItem(menu, ItemId(default_item), FALSE);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_BOTTOMALIGN,
      place.x, place.y, 0, window, nullptr));
  DestroyMenu(menu);
  if (chosen < kFirstItemId || (chosen - kFirstItemId) % kIdStep != 0)
    return false;
  const std::size_t index = (chosen - kFirstItemId) / kIdStep;
  if (index >= items.size()) return false;
  const MenuCommand item = items[index];
  if (!item.greyed && item.onChoose) item.onChoose();
  return true;
}

bool Win32Menus::Choose(UINT id) {
  if (id < kFirstItemId || (id - kFirstItemId) % kIdStep != 0) return false;
  const std::size_t index = (id - kFirstItemId) / kIdStep;
  if (index >= shown_.size()) return false;
  // A copy: the command may open a box, and the menus may open again (and
  // be refilled) while it waits.
  const MenuCommand item = shown_[index];
  if (!item.greyed && item.onChoose) item.onChoose();
  return true;
}

}  // namespace velmora::win32
