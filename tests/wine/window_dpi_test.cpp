// The main window moved to a monitor of another DPI: WM_DPICHANGED as
// Windows sends it, and the icons that large views draw from. Needs a
// display.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/frmremover.h"
#include "platform/win32/win32_platform.h"
#include "tests/wine/window_helpers.h"
#include "viewer/frmview.h"

namespace velmora::win32 {
namespace {

using testing::H;
using testing::PlaceOf;

constexpr int kNewDpi = 144;

int PxAt144(int twips) { return MulDiv(twips, kNewDpi, 1440); }

bool HasNativeWindow(const ControlLayout& c) {
  return c.kind != ControlKind::Timer && c.kind != ControlKind::Line;
}

class WindowDpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = testing::WindowWithoutEvents(factory, kFrmremoverLayout);
    ASSERT_TRUE(window->Loaded());
    hwnd = H(NativeHandle(*window));
    window->Show();
    // Nothing left to paint before the move, so what is invalid after it
    // was made invalid by it.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ValidateRect(hwnd, nullptr);
    for (const ControlLayout& c : kFrmremoverLayout.controls) {
      if (HasNativeWindow(c)) ValidateRect(Ctl(c.name), nullptr);
    }
    // A place and size of the system's choosing, unlike the window's own.
    suggested = {37, 23, 37 + PxAt144(6105) + 21, 23 + PxAt144(3840) + 47};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(kNewDpi, kNewDpi),
                 reinterpret_cast<LPARAM>(&suggested));
  }
  HWND Ctl(std::string_view name) { return H(NativeHandle(*window, name)); }

  Win32WindowFactory factory{false};
  std::unique_ptr<Window> window;
  HWND hwnd = nullptr;
  RECT suggested = {};
};

TEST_F(WindowDpiTest, TakesTheSuggestedPlaceAndSize) {
  RECT now;
  GetWindowRect(hwnd, &now);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(now.right, suggested.right);
  EXPECT_EQ(now.bottom, suggested.bottom);
}

TEST_F(WindowDpiTest, PlacesEveryControlAtItsTwipsPositionAtTheNewDpi) {
  int placed = 0;
  for (const ControlLayout& c : kFrmremoverLayout.controls) {
    if (!HasNativeWindow(c)) continue;
    const RECT rect = PlaceOf(Ctl(c.name));
    EXPECT_EQ(rect.left, PxAt144(c.left)) << c.name;
    EXPECT_EQ(rect.top, PxAt144(c.top)) << c.name;
    // Self-sizing labels fit their text; the drive list's closed height is
    // its field's.
    if (c.autosize || c.kind == ControlKind::DriveList) continue;
    EXPECT_EQ(rect.right - rect.left, PxAt144(c.width)) << c.name;
    EXPECT_EQ(rect.bottom - rect.top, PxAt144(c.height)) << c.name;
    ++placed;
  }
  EXPECT_GT(placed, 10);
}

TEST_F(WindowDpiTest, FontsAreMadeAgainAtTheNewDpi) {
  // "File:" is in the design's 8.25 point bold face.
  const LOGFONTW font = testing::FontOf(Ctl("Label6"));
  EXPECT_EQ(font.lfHeight, -static_cast<int>(8.25 * kNewDpi / 72 + 0.5));
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

// The part of a control that its parent's client area shows, in the
// control's own coordinates.
RECT VisiblePart(HWND control) {
  RECT client, parent;
  GetClientRect(control, &client);
  GetClientRect(GetParent(control), &parent);
  MapWindowPoints(GetParent(control), control,
                  reinterpret_cast<POINT*>(&parent), 2);
  RECT visible;
  IntersectRect(&visible, &client, &parent);
  return visible;
}

TEST_F(WindowDpiTest, EveryControlIsDrawnAgainWhole) {
  for (const ControlLayout& c : kFrmremoverLayout.controls) {
    if (!HasNativeWindow(c)) continue;
    const RECT visible = VisiblePart(Ctl(c.name));
    RECT invalid;
    ASSERT_TRUE(GetUpdateRect(Ctl(c.name), &invalid, FALSE)) << c.name;
    EXPECT_TRUE(EqualRect(&invalid, &visible)) << c.name;
  }
  RECT client, invalid;
  GetClientRect(hwnd, &client);
  ASSERT_TRUE(GetUpdateRect(hwnd, &invalid, FALSE));
  EXPECT_TRUE(EqualRect(&invalid, &client));
}

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap,
             &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

TEST_F(WindowDpiTest, TitleBarIconsFollowTheNewDpi) {
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(
                SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0))),
            48);
  EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(
                SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0))),
            24);
}

// The sizes an icon resource holds, from its group directory (a width of 0
// stands for 256).
std::vector<int> IconSizes(int id) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  if (!found) return {};
  const auto* dir =
      static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
  const int count = dir[4] | dir[5] << 8;
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) {
    const int width = dir[6 + 14 * i];
    sizes.push_back(width ? width : 256);
  }
  return sizes;
}

TEST(IconTest, BothIconsHoldImagesForLargeViews) {
  for (int id : {kFrmremoverLayout.icon_id, kFrmviewLayout.icon_id}) {
    EXPECT_EQ(IconSizes(id), (std::vector<int>{16, 32, 48, 64, 256})) << id;
    for (int size : {64, 256}) {
      auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(id),
                                                 IMAGE_ICON, size, size, 0));
      EXPECT_EQ(IconWidth(icon), size) << id;
      if (icon) DestroyIcon(icon);
    }
  }
}

}  // namespace
}  // namespace velmora::win32
