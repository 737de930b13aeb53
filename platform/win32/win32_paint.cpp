// Colours and painting: the design's colours, or in High Contrast the
// system's, resolved to COLORREFs, the brushes the controls are painted
// with, and the lines the window draws.
#include <algorithm>

#include "platform/colours.h"
#include "platform/win32/win32_internal.h"

namespace velmora::win32 {

bool Win32WindowFactory::HighContrast() const {
  if (high_contrast_query_) return high_contrast_query_();
  HIGHCONTRASTW high_contrast = {};
  high_contrast.cbSize = sizeof high_contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof high_contrast,
                               &high_contrast, 0) &&
         (high_contrast.dwFlags & HCF_HIGHCONTRASTON);
}

// &H00BBGGRR is a COLORREF; &H800000nn names system colour nn.
COLORREF Win32Window::Resolve(Colour colour) const {
  if (colour == kWindowBackground)
    colour = WindowBackground(layout_, high_contrast_);
  if (colour == kNoColour) return GetSysColor(COLOR_BTNFACE);
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

HBRUSH Win32Window::Brush(COLORREF colour) {
  HBRUSH& brush = brushes_[colour];
  if (!brush) brush = CreateSolidBrush(colour);
  return brush;
}

// The brushes of the old colours go: each paint asks for its brush again.
void Win32Window::FollowHighContrast(bool colours_changed) {
  const bool on = factory_.HighContrast();
  if (on == high_contrast_ && !colours_changed) return;
  high_contrast_ = on;
  for (auto& [colour, brush] : brushes_) DeleteObject(brush);
  brushes_.clear();
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void Win32Window::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  for (auto& widget : widgets_) {
    const ControlLayout& c = widget->layout;
    if (c.kind != ControlKind::Line) continue;
    const COLORREF colour = Resolve(ColoursOf(layout_, c, high_contrast_).text);
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
  const ControlColours colours =
      ColoursOf(layout_, widget->layout, high_contrast_);
  if (colours.text != kNoColour) SetTextColor(dc, Resolve(colours.text));
  if (colours.background == kNoColour) return standard;
  const COLORREF background = Resolve(colours.background);
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(Brush(background));
}

}  // namespace velmora::win32
