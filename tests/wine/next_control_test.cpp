// Tab and Shift+Tab out of the viewer's multi-line text box, which asks its
// window for the next control with WM_NEXTDLGCTL. The keys go through the
// program's own message loop. Needs a display.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "tests/wine/window_helpers.h"
#include "viewer/frmview.h"

namespace velmora::win32 {
namespace {

using testing::H;

class NextControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = testing::WindowWithoutEvents(factory, kFrmviewLayout);
    ASSERT_TRUE(window->Loaded());
    window->Show();
    SetFocus(Ctl("txtautorun"));
    ASSERT_EQ(GetFocus(), Ctl("txtautorun"));
  }
  void TearDown() override { SetShift(false); }
  HWND Ctl(std::string_view name) { return H(NativeHandle(*window, name)); }

  static void SetShift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  // Tab pressed in the focused control, handled by the program's message
  // loop, which then ends.
  static void PressTab(bool shift) {
    SetShift(shift);
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(focus, WM_CHAR, L'\t', 0x000F0001);
    PostMessageW(focus, WM_KEYUP, VK_TAB, 0xC00F0001);
    PostQuitMessage(0);
    RunMessageLoop();
    SetShift(false);
  }

  Win32WindowFactory factory{false};
  std::unique_ptr<Window> window;
};

TEST_F(NextControlTest, TabLeavesTheTextBoxForTheNextControl) {
  // The text box is last in the tab order; Tab goes round to OK.
  PressTab(false);
  EXPECT_EQ(GetFocus(), Ctl("OKButton"));
}

TEST_F(NextControlTest, ShiftTabLeavesTheTextBoxForTheControlBefore) {
  PressTab(true);
  EXPECT_EQ(GetFocus(), Ctl("CancelButton"));
}

TEST_F(NextControlTest, TabWalksOnRoundTheWholeWindow) {
  PressTab(false);
  PressTab(false);
  EXPECT_EQ(GetFocus(), Ctl("CancelButton"));
  PressTab(false);
  EXPECT_EQ(GetFocus(), Ctl("txtautorun"));
  PressTab(false);
  EXPECT_EQ(GetFocus(), Ctl("OKButton"));
}

TEST_F(NextControlTest, AGivenControlTakesTheFocusAndATextBoxIsSelected) {
  SendMessageW(H(NativeHandle(*window)), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(Ctl("CancelButton")), TRUE);
  EXPECT_EQ(GetFocus(), Ctl("CancelButton"));
  SendMessageW(H(NativeHandle(*window)), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(Ctl("txtautorun")), TRUE);
  EXPECT_EQ(GetFocus(), Ctl("txtautorun"));
  DWORD start = 1, end = 0;
  SendMessageW(Ctl("txtautorun"), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(Ctl("txtautorun"))));
}

TEST_F(NextControlTest, AControlOfAnotherWindowIsRefused) {
  auto other = testing::WindowWithoutEvents(factory, kFrmviewLayout);
  SendMessageW(H(NativeHandle(*window)), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(NativeHandle(*other, "OKButton")),
               TRUE);
  EXPECT_EQ(GetFocus(), Ctl("txtautorun"));
}

}  // namespace
}  // namespace velmora::win32
