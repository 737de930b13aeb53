// The notification icon when the notification area is made anew: Wine,
// with no system tray on its display, shows icons in a small window of its
// own (class __winex11_standalone_tray, one child __winex11_tray_icon per
// icon). The area's TaskbarCreated message is sent to the owner window as
// Explorer broadcasts it.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "platform/win32/win32_notify_icon.h"
#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

// The icons Wine shows, of any process.
int TrayIcons() {
  int count = 0;
  HWND tray = nullptr;
  while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray",
                               nullptr))) {
    for (HWND icon =
             FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr);
         icon;
         icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr))
      ++count;
  }
  return count;
}

class NotifyIconTest : public WindowTest {
 protected:
  // What another program (or the area itself) does to the icon of `hwnd`
  // behind the program's back.
  BOOL Behind(DWORD message) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = kNotifyIconId;
    data.uFlags = NIF_ICON;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    return Shell_NotifyIconW(message, &data);
  }
  void TaskbarCreated() {
    SendMessageW(hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  }
  // Waits for the number of icons shown to be `count`.
  bool Shows(int count) {
    Pump([&] { return TrayIcons() == count; }, 5000);
    return TrayIcons() == count;
  }

  Win32NotifyIconFactory icons;
};

TEST_F(NotifyIconTest, TheIconComesBackOnceWhenTheAreaIsMadeAnew) {
  const int others = TrayIcons();
  std::unique_ptr<NotifyIcon> icon = icons.Create(*window, {});
  ASSERT_TRUE(icon->Add("Velmora"));
  ASSERT_TRUE(Shows(others + 1));
  // Made anew while the icon is still there: it stays, once.
  TaskbarCreated();
  EXPECT_TRUE(icon->Added());
  EXPECT_TRUE(Shows(others + 1));
  // Made anew without it: it comes back, once.
  ASSERT_TRUE(Behind(NIM_DELETE));
  ASSERT_TRUE(Shows(others));
  TaskbarCreated();
  EXPECT_TRUE(icon->Added());
  EXPECT_TRUE(Shows(others + 1));
  icon.reset();
  EXPECT_TRUE(Shows(others));
}

// The first add fails (here: the place is taken, as when the shell is not
// up yet it fails too); the icon comes with the next area made.
TEST_F(NotifyIconTest, AnIconWhoseAddFailedComesWithTheNextArea) {
  const int others = TrayIcons();
  ASSERT_TRUE(Behind(NIM_ADD));
  ASSERT_TRUE(Shows(others + 1));
  std::unique_ptr<NotifyIcon> icon = icons.Create(*window, {});
  EXPECT_FALSE(icon->Add("Velmora"));
  EXPECT_FALSE(icon->Added());
  ASSERT_TRUE(Behind(NIM_DELETE));
  ASSERT_TRUE(Shows(others));
  TaskbarCreated();
  EXPECT_TRUE(icon->Added());
  EXPECT_TRUE(Shows(others + 1));
  // Removed, it stays away.
  icon->Remove();
  ASSERT_TRUE(Shows(others));
  TaskbarCreated();
  EXPECT_FALSE(icon->Added());
  EXPECT_TRUE(Shows(others));
}

}  // namespace
}  // namespace velmora::win32
