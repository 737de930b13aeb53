// The controls of a window placed and sized at the window's DPI: their
// fonts, each control's rectangle from its layout's twips, and the drive
// list's dropped height.
#include <algorithm>

#include "platform/widget_kinds.h"
#include "platform/win32/win32_internal.h"

namespace velmora::win32 {
namespace {

// Rows the drive list shows when dropped.
constexpr int kDroppedRows = 12;

}  // namespace

void Win32Window::MakeFonts() {
  if (window_font_) DeleteObject(window_font_);
  window_font_ = layout_.font.name.empty() ? MessageFont(dpi_)
                                           : MakeFont(layout_.font, dpi_);
  for (auto& [widget, font] : control_fonts_) DeleteObject(font);
  control_fonts_.clear();
  for (auto& widget : widgets_) {
    if (!widget->layout.font.name.empty())
      control_fonts_[widget.get()] = MakeFont(widget->layout.font, dpi_);
  }
}

HFONT Win32Window::FontFor(const Win32Widget& widget) const {
  auto it = control_fonts_.find(&widget);
  if (it != control_fonts_.end() && it->second) return it->second;
  if (window_font_) return window_font_;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Win32Window::Layout() {
  const SIZE size = FrameSize(dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
}

RECT Win32Window::PlaceOf(const Win32Widget& widget, const std::wstring& text,
                          bool no_prefix) const {
  const ControlLayout& c = widget.layout;
  const int x = Px(c.left, dpi_), y = Px(c.top, dpi_);
  if (c.autosize) {
    const SIZE size = LabelTextSize(FontFor(widget), text, no_prefix);
    return {x, y, x + size.cx, y + size.cy};
  }
  return {x, y, x + Px(c.width, dpi_), y + Px(c.height, dpi_)};
}

void Win32Window::PlaceControls() {
  for (auto& widget : widgets_) {
    if (!widget->hwnd) continue;
    SendMessageW(widget->hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(*widget)), FALSE);
    const bool no_prefix =
        (GetWindowLongW(widget->hwnd, GWL_STYLE) & SS_NOPREFIX) == SS_NOPREFIX;
    const RECT place = PlaceOf(
        *widget,
        widget->layout.autosize ? WindowText(widget->hwnd) : std::wstring(),
        no_prefix);
    SetWindowPos(widget->hwnd, nullptr, place.left, place.top,
                 place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (widget->IsCombo()) FitCombo(*widget, place);
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// The closed box is as high as designed (`place`, where it stands); the
// height given to the window is the dropped list's. The field's height
// follows the item height set for it. A few steps settle it, as systems
// count the borders differently (and Wine's CB_GETITEMHEIGHT does not give
// back what was set).
void Win32Window::FitCombo(Win32Widget& widget, const RECT& place) {
  const int height = place.bottom - place.top;
  LRESULT field =
      SendMessageW(widget.hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int step = 0; step < 3 && field > 0; ++step) {
    RECT closed;
    GetWindowRect(widget.hwnd, &closed);
    const int extra = height - (closed.bottom - closed.top);
    if (extra == 0 || field + extra <= 0) break;
    field += extra;
    SendMessageW(widget.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
  const LRESULT row = SendMessageW(widget.hwnd, CB_GETITEMHEIGHT, 0, 0);
  SetWindowPos(widget.hwnd, nullptr, place.left, place.top,
               place.right - place.left,
               height + kDroppedRows * static_cast<int>(row > 0 ? row : 16) + 2,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmora::win32
