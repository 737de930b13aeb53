// The Win32 window following High Contrast: re-read on WM_SETTINGCHANGE and
// WM_SYSCOLORCHANGE, brushes of the system's colours, a repaint. Wine always
// reports High Contrast off and cannot turn it on (SPI_SETHIGHCONTRAST
// fails), so the factory is given the answer Windows would give. Needs a
// display.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <set>

#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

// Notes, in the set at `seen`, each control that WM_SYSCOLORCHANGE reaches.
LRESULT CALLBACK NoteColourChange(HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam, UINT_PTR, DWORD_PTR seen) {
  if (message == WM_SYSCOLORCHANGE)
    reinterpret_cast<std::set<HWND>*>(seen)->insert(hwnd);
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

class HighContrastTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    factory.SetHighContrastQuery([this] { return on; });
    window->Show();
    Settle();
  }
  // Everything painted, so that what is invalid afterwards was made so.
  void Settle() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  // Turns High Contrast on or off as Windows announces it; whether the
  // window then waits to be repainted.
  bool Switch(bool to) {
    on = to;
    SendMessageW(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    return GetUpdateRect(hwnd, nullptr, FALSE);
  }
  COLORREF Brush(UINT message, std::string_view control) {
    HDC dc = GetDC(Ctl(control));
    LOGBRUSH brush = {};
    GetObjectW(reinterpret_cast<HBRUSH>(
                   SendMessageW(hwnd, message, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(Ctl(control)))),
               sizeof brush, &brush);
    ReleaseDC(Ctl(control), dc);
    return brush.lbColor;
  }
  COLORREF WindowFace() {
    Settle();
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, Px(6000), Px(4700));
    ReleaseDC(hwnd, dc);
    return colour;
  }

  bool on = false;
  std::set<HWND> controls, reached;
};

TEST_F(HighContrastTest, OnTheSystemsColoursOffTheDesignsAgain) {
  EXPECT_FALSE(Switch(false));  // a setting that leaves it off repaints nothing
  EXPECT_TRUE(Switch(true));
  EXPECT_EQ(WindowFace(), GetSysColor(COLOR_BTNFACE));
  EXPECT_TRUE(Switch(false));
  EXPECT_EQ(WindowFace(), kGreen);
}

// The user's scheme changes while High Contrast stays on: the drive list's
// white of the design gives way to the scheme's window colour, and each
// control hears of the change too (Windows tells top-level windows only).
TEST_F(HighContrastTest, FollowsTheSystemsColoursWhileOn) {
  Switch(true);
  Settle();
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    controls.insert(c);
    SetWindowSubclass(c, &NoteColourChange, 1,
                      reinterpret_cast<DWORD_PTR>(&reached));
  }
  const int index = COLOR_WINDOW;
  const COLORREF saved = GetSysColor(index), scheme = RGB(0x12, 0x34, 0x56);
  ASSERT_TRUE(SetSysColors(1, &index, &scheme));
  reached.clear();
  SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_EQ(Brush(WM_CTLCOLORLISTBOX, "drv"), scheme);
  EXPECT_EQ(controls.size(), 8u);  // the test form's controls but line, timer
  EXPECT_EQ(reached, controls);
  SetSysColors(1, &index, &saved);
}

}  // namespace
}  // namespace velmora::win32
