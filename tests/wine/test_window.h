// The test form of the Win32 window tests: one control of each kind, placed,
// coloured and with fonts of its own, and the fixture that makes it a real
// window whose events a Recorder notes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/win32/win32_platform.h"
#include "tests/wine/event_recorder.h"
#include "tests/wine/pump.h"
#include "tests/wine/window_helpers.h"

namespace velmora::win32 {

// The kinds, short, so that each row of the test form fits a line or two.
using K = ControlKind;
inline constexpr Colour kGreen = 0x00C0FFC0;
inline constexpr Colour kBlue = 0x00FF0000;

inline constexpr ControlLayout kControls[] = {
    {"chk",
     K::CheckBox,
     "Check &me",
     1440,
     1560,
     2535,
     375,
     3,
     {},
     kWindowBackground},
    {"tmr", K::Timer, "", 0, 0, 0, 0, -1, {}, kNoColour, kNoColour, false, 20},
    {"lst", K::ListBox, "", 3000, 2160, 3015, 1230, 5},
    {"btn", K::Button, "&Go && stop with a long caption", 120, 600, 1935, 495,
     1},
    {"drv", K::DriveList, "", 720, 1200, 3855, 315, 2, {}, 0x00FFFFFF},
    {"fil", K::FileList, "", 120, 2160, 2775, 1260, 4},
    {"lbl",
     K::Label,
     "...",
     480,
     1680,
     180,
     195,
     6,
     {"Arial", 14.25, true},
     kWindowBackground,
     kBlue,
     true},
    {"fix", K::Label, "Fixed", 120, 3480, 3015, 255, 0, {}, kAppWorkspace},
    {"txt", K::TextBox, "one\ntwo", 120, 3700, 3000, 900, 7},
    {"ln", K::Line, "", 0, 120, 6120, 120, -1},
};
inline constexpr FormLayout kLayout = {
    "testform", "Test \xE2\x80\x93 Window",
    kGreen,     {"Arial", 8.25, false},
    6105,       4800,
    1,          kControls,
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = factory.Create(kLayout, sink.Events());
    sink.Bind(*window, kLayout);
    ASSERT_TRUE(window->Loaded());
    hwnd = testing::H(NativeHandle(*window));
    ASSERT_NE(hwnd, nullptr);
    dpi = GetDeviceCaps(GetDC(hwnd), LOGPIXELSY);
  }
  void TearDown() override {
    window.reset();
    Pump();
  }
  HWND Ctl(std::string_view name) {
    return testing::H(NativeHandle(*window, name));
  }
  int Px(int twips) { return MulDiv(twips, dpi, 1440); }

  Win32WindowFactory factory{false};
  Recorder sink;
  std::unique_ptr<Window> window;
  HWND hwnd = nullptr;
  int dpi = 96;
};

}  // namespace velmora::win32
