// Guard mode through velmora.exe: a start with /guard shows no window and
// puts an icon in the notification area, which Wine, with no system tray
// on its display, shows in a small window of its own (class
// __winex11_standalone_tray, one child __winex11_tray_icon per icon).
// Mouse messages posted to an icon's window reach the program as clicks.
// clang-format off
#include <windows.h>
#include <dbt.h>
#include <commctrl.h>
#include <objbase.h>
// clang-format on

#include <gtest/gtest.h>

#include "../common/shell_link_save.h"
#include "harness.h"
#include "menus.h"

namespace e2e {
namespace {

constexpr char kAutoRemove[] = "Auto Remove w/o Notification";

// Every notification-area icon Wine shows, of any process.
std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  for (HWND top : TopWindowsOf(0, false)) {
    if (ClassOf(top) != "__winex11_standalone_tray") continue;
    for (HWND icon : ChildrenOf(top, "__winex11_tray_icon"))
      icons.push_back(icon);
  }
  return icons;
}

// Balloons shown on screen, of any process: Wine draws a notification as
// a balloon tooltip next to its icon.
int Balloons() {
  int shown = 0;
  for (HWND top : TopWindowsOf(0, true)) {
    if (ClassOf(top) == "tooltips_class32" &&
        (GetWindowLongW(top, GWL_STYLE) & TTS_BALLOON))
      ++shown;
  }
  return shown;
}

void PostClick(HWND icon, UINT down, UINT up) {
  PostMessageW(icon, down, 0, MAKELPARAM(4, 4));
  PostMessageW(icon, up, 0, MAKELPARAM(4, 4));
}

class Guard : public OnEmptyDrives {
 protected:
  // Starts velmora.exe /guard and waits for its icon; nullptr on failure.
  HWND StartGuarding(App& app) {
    if (!app.started()) return nullptr;
    HWND icon = nullptr;
    WaitFor([&] {
      const std::vector<HWND> icons = TrayIcons();
      icon = icons.size() == 1 ? icons[0] : nullptr;
      return icon != nullptr;
    });
    EXPECT_NE(icon, nullptr) << "icons seen: " << TrayIcons().size();
    return icon;
  }
};

// One guarding from start to Exit: only the icon shows and Auto Remove
// runs; the icon's click shows the window and its close box hides it
// again; Exit, the last item of the icon's menu, ends the program and the
// icon goes.
TEST_F(Guard, AGuardStartShowsOnlyTheIconUntilClickedAndExitEndsIt) {
  App app("C:\\", "/GUARD");
  HWND icon = StartGuarding(app);
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(app.Settle());
  EXPECT_FALSE(IsWindowVisible(app.main()));
  EXPECT_FALSE(IsIconic(app.main()));
  EXPECT_TRUE(app.TopWindows().empty()) << app.DescribeWindows();
  HWND check = FindChild(app.main(), "Button", kAutoRemove);
  ASSERT_NE(check, nullptr) << Describe(app.main());
  EXPECT_EQ(CheckState(check), BST_CHECKED);
  // The timer runs: an autorun.inf put on a drive goes by itself.
  PutFile("D:\\autorun.inf", "[autorun]\r\n");
  EXPECT_TRUE(WaitFor([] { return !Exists("D:\\autorun.inf"); }, 3 * kTickMs));

  PostClick(icon, WM_LBUTTONDOWN, WM_LBUTTONUP);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(app.main()) != FALSE; }));
  // The close box, as the system menu's Close sends it.
  PostMessageW(app.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(app.main()); }));
  ASSERT_TRUE(app.Settle());
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(TrayIcons().size(), 1u);

  PostClick(icon, WM_RBUTTONDOWN, WM_RBUTTONUP);
  ASSERT_NE(WaitMenu(app), nullptr);
  ASSERT_TRUE(ChooseItem(app, VK_END));
  EXPECT_TRUE(app.WaitExit());
  EXPECT_TRUE(WaitFor([] { return TrayIcons().empty(); }));
}

// A stick whose root holds a shortcut that starts cmd.exe on a script in
// a hidden folder of the stick arrives while the program guards: the log
// of the hidden window says so.
TEST_F(Guard, AWormStickArrivingIsLogged) {
  App app("C:\\", "/guard");
  HWND icon = StartGuarding(app);
  ASSERT_NE(icon, nullptr);
  PutFile("F:\\_\\x.vbs", "WScript.Quit", FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(SetFileAttributesW(L"F:\\_", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  shell_link_save::Save(L"F:\\Photos.lnk", L"C:\\windows\\system32\\cmd.exe",
                        L"/c start _\\x.vbs", L"F:\\");
  CoUninitialize();
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << ('F' - 'A');
  DWORD_PTR result = 0;
  ASSERT_NE(SendMessageTimeoutW(app.main(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                                reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL,
                                kWaitMs, &result),
            0);
  const std::vector<std::string> lines = app.WaitLog(1);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().starts_with("Shortcut Worm Found on: F:\\ (1 "))
      << lines.back();
  EXPECT_TRUE(Exists("F:\\Photos.lnk"));  // nothing repaired unasked
  // Its notification: Wine shows a balloon as a tooltip of the icon.
  EXPECT_TRUE(WaitFor([] { return Balloons() > 0; })) << "no balloon shown";
}

}  // namespace
}  // namespace e2e
