// The DPI a window is drawn at, and the window following itself to a
// monitor of another DPI.
#include "platform/win32/win32_internal.h"

namespace velmora::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

UINT DpiOf(HWND hwnd) {
  static const auto for_window =
      SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = for_window && hwnd ? for_window(hwnd) : 0;
  return dpi ? dpi : SystemDpi(hwnd);
}

// Before Windows 10 1607 there is no DPI per window, yet the manifest makes
// the program DPI-aware there too: Windows 8.1 scales per monitor, older
// systems by one DPI for the whole system.
UINT SystemDpi(HWND hwnd) {
  return MonitorDpi(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

UINT MonitorDpi(HMONITOR monitor) {
  static const auto for_monitor =
      SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (for_monitor && monitor &&
      SUCCEEDED(for_monitor(monitor, kEffectiveDpi, &x, &y)) && y > 0)
    return y;
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// Fonts, controls and icons are made again at the new DPI, then the window
// takes the suggested place and size in one move. The old pixels are not
// copied and every child is drawn again: the window clips its children, so
// nothing else would repaint labels whose text moved.
void Win32Window::OnDpiChanged(UINT dpi, const RECT* suggested) {
  if (dpi == 0) return;
  dpi_ = dpi;
  MakeFonts();
  LoadIcons();
  if (suggested) {
    PlaceControls();
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left,
                 suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  } else {
    Layout();
  }
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace velmora::win32
