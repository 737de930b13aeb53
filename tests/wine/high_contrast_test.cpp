// The Win32 window in High Contrast: the system's colours while it is on,
// the design's when it goes off, followed on WM_SETTINGCHANGE and
// WM_SYSCOLORCHANGE with a repaint. Wine always reports High Contrast off
// and cannot turn it on (SPI_SETHIGHCONTRAST fails), so the test gives the
// factory the answer Windows would. Needs a display.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string_view>

#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

// The colour a control is painted with, and its text colour, as the window
// answers its WM_CTLCOLOR* message.
struct Painted {
  COLORREF background, text;
  bool operator==(const Painted&) const = default;
};

Painted PaintedWith(HWND parent, UINT message, HWND control) {
  HDC dc = GetDC(control);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control)));
  LOGBRUSH info = {};
  GetObjectW(brush, sizeof info, &info);
  const Painted painted = {info.lbColor, GetTextColor(dc)};
  ReleaseDC(control, dc);
  return painted;
}

class HighContrastTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    factory.SetHighContrastQuery([this] { return on; });
    window->Show();
    Settle();
  }
  void TearDown() override {
    if (saved_window_colour) {
      const int index = COLOR_WINDOW;
      SetSysColors(1, &index, &*saved_window_colour);
    }
    WindowTest::TearDown();
  }
  // High Contrast turned on or off, as Windows announces it.
  void Switch(bool to) {
    on = to;
    SendMessageW(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  }
  // Everything painted, so that what is invalid afterwards was made so.
  void Settle() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  bool WaitsForPaint(HWND of) { return GetUpdateRect(of, nullptr, FALSE); }
  Painted Static(std::string_view name) {
    return PaintedWith(hwnd, WM_CTLCOLORSTATIC, Ctl(name));
  }
  COLORREF Pixel(int x_twips, int y_twips) {
    HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, Px(x_twips), Px(y_twips));
    ReleaseDC(hwnd, dc);
    return colour;
  }

  bool on = false;
  std::optional<COLORREF> saved_window_colour;
};

TEST_F(HighContrastTest, OnTheSystemsColoursOffTheDesignsAgain) {
  const Painted face = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)};
  const Painted box = {GetSysColor(COLOR_WINDOW),
                       GetSysColor(COLOR_WINDOWTEXT)};
  const Painted designed_label = Static("lbl");
  Switch(false);  // a setting that leaves it off repaints nothing
  EXPECT_FALSE(WaitsForPaint(hwnd));

  Switch(true);
  EXPECT_TRUE(WaitsForPaint(hwnd));
  EXPECT_TRUE(WaitsForPaint(Ctl("lbl")));
  EXPECT_EQ(Static("lbl"), face);
  EXPECT_EQ(Static("fix"), face);
  EXPECT_EQ(Static("chk").background, face.background);
  EXPECT_EQ(Static("txt"), box);
  EXPECT_EQ(PaintedWith(hwnd, WM_CTLCOLORLISTBOX, Ctl("lst")), box);
  Settle();
  EXPECT_EQ(Pixel(6000, 4700), face.background);  // the window's face
  EXPECT_EQ(Pixel(3000, 120), face.text);         // its line

  Switch(false);
  EXPECT_TRUE(WaitsForPaint(hwnd));
  EXPECT_EQ(Static("lbl"), designed_label);
  EXPECT_EQ(Static("lbl"), (Painted{kGreen, kBlue}));
  EXPECT_EQ(Static("chk").background, kGreen);
  Settle();
  EXPECT_EQ(Pixel(6000, 4700), kGreen);
  EXPECT_EQ(Pixel(3000, 120), GetSysColor(COLOR_WINDOWTEXT));
}

// The user's scheme changes while High Contrast stays on: the drive list's
// white of the design gives way to the scheme's window colour.
TEST_F(HighContrastTest, FollowsTheSystemsColoursWhileOn) {
  Switch(true);
  Settle();
  saved_window_colour = GetSysColor(COLOR_WINDOW);
  const int index = COLOR_WINDOW;
  const COLORREF scheme = RGB(0x12, 0x34, 0x56);
  ASSERT_TRUE(SetSysColors(1, &index, &scheme));
  SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_TRUE(WaitsForPaint(hwnd));
  EXPECT_EQ(PaintedWith(hwnd, WM_CTLCOLORLISTBOX, Ctl("drv")).background,
            scheme);
  EXPECT_EQ(Static("txt").background, scheme);
}

}  // namespace
}  // namespace velmora::win32
