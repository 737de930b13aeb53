// Colours and painting: the design's colours resolved to the system's,
// the brushes the controls are painted with, and the lines the window draws.
#include <algorithm>

#include "platform/win32/win32_internal.h"

namespace velmora::win32 {

// &H00BBGGRR is a COLORREF; &H800000nn names system colour nn.
COLORREF Win32Window::Resolve(Colour colour) const {
  if (colour == kWindowBackground) colour = layout_.background;
  if (colour == kNoColour) return GetSysColor(COLOR_BTNFACE);
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

HBRUSH Win32Window::Brush(COLORREF colour) {
  HBRUSH& brush = brushes_[colour];
  if (!brush) brush = CreateSolidBrush(colour);
  return brush;
}

void Win32Window::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  for (auto& widget : widgets_) {
    const ControlLayout& c = widget->layout;
    if (c.kind != ControlKind::Line) continue;
    const COLORREF colour = c.foreground == kNoColour
                                ? GetSysColor(COLOR_WINDOWTEXT)
                                : Resolve(c.foreground);
    HPEN pen = CreatePen(PS_SOLID, std::max(1, Px(15, dpi_)), colour);
    HGDIOBJ old = SelectObject(dc, pen);
    const int x1 = Px(c.left, dpi_), y1 = Px(c.top, dpi_);
    const int x2 = Px(c.width, dpi_), y2 = Px(c.height, dpi_);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SetPixel(dc, x2, y2, colour);  // LineTo leaves out the last point
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT Win32Window::OnControlColour(UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  const LRESULT standard = DefWindowProcW(hwnd_, message, wparam, lparam);
  Win32Widget* widget = WidgetFor(reinterpret_cast<HWND>(lparam));
  if (!widget) return standard;
  HDC dc = reinterpret_cast<HDC>(wparam);
  const ControlLayout& c = widget->layout;
  if (c.foreground != kNoColour) SetTextColor(dc, Resolve(c.foreground));
  COLORREF background;
  if (c.background != kNoColour) {
    background = Resolve(c.background);
  } else if (c.kind == ControlKind::TextBox || c.kind == ControlKind::ListBox ||
             c.kind == ControlKind::FileList ||
             c.kind == ControlKind::DriveList) {
    // A read-only text box would be grey; it keeps the window colour.
    background = GetSysColor(COLOR_WINDOW);
  } else {
    return standard;
  }
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(Brush(background));
}

}  // namespace velmora::win32
