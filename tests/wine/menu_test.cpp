// The main window's menus on the real backend, opened for real: the drive
// list's context menu and the system menu hold the AutoRun item with its
// text, check mark and grey, then the repair's item and the sign-in item,
// and choosing the AutoRun item from the keyboard runs it; the pop-up menu
// of the notification icon tells whether an item was chosen. The main window
// runs over the fake's drives and the in-memory registry, so nothing of the
// machine is touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/autorun_switch.h"
#include "app/frmremover.h"
#include "app/signin_switch.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

// The program's items in both menus: the AutoRun switch, the repair, and
// the sign-in start.
constexpr size_t kProgramItems = 3;

struct ShownItem {
  std::wstring text;  // empty for a separator
  UINT state = 0;     // MF_CHECKED, MF_GRAYED
};

std::vector<ShownItem> ItemsOf(HMENU menu) {
  std::vector<ShownItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    items.push_back(
        {text, GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) &
                   (MF_CHECKED | MF_GRAYED | MF_SEPARATOR)});
  }
  return items;
}

// Runs `inside` once the menu that `open` opens shows, from within the
// menu's own loop (where a thread timer still ticks), with the items the
// menu shows. `inside` posts the keys that end the menu.
std::function<void(const std::vector<ShownItem>&)> g_inside;
std::vector<ShownItem> g_seen;

void CALLBACK WhileMenuShows(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, timer);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  g_seen = ItemsOf(menu);
  g_inside(g_seen);
}

std::vector<ShownItem> WithMenu(
    const std::function<void()>& open,
    std::function<void(const std::vector<ShownItem>&)> inside) {
  g_seen.clear();
  g_inside = std::move(inside);
  SetTimer(nullptr, 0, 20, WhileMenuShows);
  open();
  // Keys left over once the menu has ended go before the next test.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  return g_seen;
}

void PostKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
    form.Load();
    main = static_cast<HWND>(NativeHandle(form.ForTest().window));
    drives = static_cast<HWND>(NativeHandle(form.ForTest().window, "Drive1"));
    ASSERT_TRUE(main && drives);
  }
  void TearDown() override { form.ForTest().window.Unload(); }

  // Opens the context menu as Shift+F10 does (position -1) and chooses its
  // first item with Home and Enter, or leaves with Esc.
  std::vector<ShownItem> ContextMenu(bool choose) {
    return WithMenu(
        [&] {
          SendMessageW(drives, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(drives),
                       -1);
        },
        [&](const std::vector<ShownItem>&) {
          if (choose) PostKey(main, VK_HOME);
          PostKey(main, choose ? VK_RETURN : VK_ESCAPE);
        });
  }
  // Opens the system menu as Alt+Space does and chooses the AutoRun item,
  // the first of the program's items at its end, or leaves with Esc.
  std::vector<ShownItem> SystemMenu(bool choose) {
    return WithMenu([&] { SendMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, ' '); },
                    [&](const std::vector<ShownItem>&) {
                      // Up from the first goes to the last; on up to the
                      // AutoRun item.
                      for (size_t i = 0; choose && i < kProgramItems; ++i)
                        PostKey(main, VK_UP);
                      PostKey(main, choose ? VK_RETURN : VK_ESCAPE);
                      // Alt+Space leaves the menu bar open after Esc; a second
                      // Esc closes it.
                      if (!choose) PostKey(main, VK_ESCAPE);
                    });
  }

  fake::FakeSystem system;
  fake::FakeRegistry registry;
  fake::FakeFileTree files;
  Win32WindowFactory factory{false};
  Frmremover form{system, factory, registry, files};
  HWND main = nullptr, drives = nullptr;
};

const std::wstring kItem = Widen(kTurnOffAutorunText);

// The repair's item, after the AutoRun item in both menus.
bool IsRepairItem(const ShownItem& item) {
  return item.text.starts_with(L"Repair Hidden Files on ");
}

TEST_F(MenuTest, DriveListsContextMenuHoldsTheItemAndChoosingItTurnsItOff) {
  std::vector<ShownItem> items = ContextMenu(true);
  ASSERT_EQ(items.size(), kProgramItems);
  EXPECT_EQ(items[0].text, kItem);
  EXPECT_EQ(items[0].state, 0u);
  EXPECT_TRUE(IsRepairItem(items[1]));
  EXPECT_EQ(items[2].text, Widen(kSigninText));
  EXPECT_EQ(registry.Get(Hive::CurrentUser, kPoliciesKey, "NoAutorun"), 1u);

  items = ContextMenu(false);
  ASSERT_EQ(items.size(), kProgramItems);
  EXPECT_EQ(items[0].state, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(form.ForTest().window.Control("List1").Rows().size(), 1u);
}

TEST_F(MenuTest, SystemMenuHoldsTheItemBelowASeparatorOnceOnly) {
  std::vector<ShownItem> items = SystemMenu(false);
  ASSERT_GE(items.size(), kProgramItems + 2);
  const size_t first = items.size() - kProgramItems;
  EXPECT_EQ(items[first].text, kItem);
  EXPECT_EQ(items[first].state, 0u);
  EXPECT_TRUE(IsRepairItem(items[first + 1]));
  EXPECT_TRUE(items[first - 1].state & MF_SEPARATOR);

  // Opened again after a change: the same number of items, the new state.
  const size_t count = items.size();
  items = SystemMenu(true);
  ASSERT_EQ(items.size(), count);
  EXPECT_EQ(registry.Get(Hive::CurrentUser, kPoliciesKey, "NoDriveTypeAutoRun"),
            0xFFu);
  items = SystemMenu(false);
  ASSERT_EQ(items.size(), count);
  EXPECT_EQ(items[first].state, static_cast<UINT>(MF_CHECKED));
}

TEST_F(MenuTest, AdministratorsSettingShowsCheckedAndGreyed) {
  registry.Set(Hive::LocalMachine, kPoliciesKey, "NoDriveTypeAutoRun", 0xFF);
  registry.Set(Hive::LocalMachine, kPoliciesKey, "NoAutorun", 1);
  std::vector<ShownItem> items = ContextMenu(true);
  ASSERT_EQ(items.size(), kProgramItems);
  EXPECT_EQ(items[0].text, Widen(kAutorunOffByAdministratorText));
  EXPECT_EQ(items[0].state, static_cast<UINT>(MF_CHECKED | MF_GRAYED));
  EXPECT_EQ(registry.changes, 0);
}

TEST_F(MenuTest, OtherControlsAndPartsOfTheDriveList) {
  // A control other than the drive list opens no menu of ours.
  HWND log = static_cast<HWND>(NativeHandle(form.ForTest().window, "List1"));
  EXPECT_EQ(SendMessageW(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(log),
                         MAKELPARAM(10, 10)),
            0);
  EXPECT_EQ(FindWindowW(L"#32768", nullptr), nullptr);
  // The dropped list of the drive list is part of it.
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(drives, &info));
  const std::vector<ShownItem> items = WithMenu(
      [&] {
        SendMessageW(main, WM_CONTEXTMENU,
                     reinterpret_cast<WPARAM>(info.hwndList),
                     MAKELPARAM(20, 20));
      },
      [&](const std::vector<ShownItem>&) { PostKey(main, VK_ESCAPE); });
  ASSERT_EQ(items.size(), kProgramItems);
  EXPECT_EQ(items[0].text, kItem);
  EXPECT_TRUE(IsRepairItem(items[1]));
}

// The icon's menu: TrackCommands tells whether an item was chosen, so that
// only a menu left with Esc gives the focus back to the notification area.
TEST_F(MenuTest, ThePopUpMenuTellsWhetherAnItemWasChosen) {
  int runs = 0;
  const std::vector<MenuCommand> items = {
      {"Open Velmora", false, false, [&] { ++runs; }},
      {"", false, false, nullptr},
      {"Exit", false, false, [&] { ++runs; }}};
  bool chosen = true;
  const auto open = [&](bool choose) {
    return WithMenu(
        [&] {
          chosen = TrackCommands(main, items, {20, 20}, 0);
        },
        [&](const std::vector<ShownItem>&) {
          if (choose) PostKey(main, VK_HOME);
          PostKey(main, choose ? VK_RETURN : VK_ESCAPE);
        });
  };
  ASSERT_EQ(open(false).size(), items.size());
  EXPECT_FALSE(chosen);
  EXPECT_EQ(runs, 0);
  ASSERT_EQ(open(true).size(), items.size());
  EXPECT_TRUE(chosen);
  EXPECT_EQ(runs, 1);
}

// The keys go through the program's own message loop to the drive list that
// has the focus; the menu, once read, ends the loop.
TEST_F(MenuTest, ShiftF10AndTheMenuKeyOpenTheDriveListsMenu) {
  form.ForTest().window.Show();
  SetFocus(drives);
  ASSERT_EQ(GetFocus(), drives);
  const auto press = [&](WPARAM key, bool shift, bool system_key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    return WithMenu(
        [&] {
          PostMessageW(drives, system_key ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1);
          PostMessageW(drives, system_key ? WM_SYSKEYUP : WM_KEYUP, key,
                       0xC0000001);
          RunMessageLoop();
          keys[VK_SHIFT] = 0;
          SetKeyboardState(keys);
        },
        [&](const std::vector<ShownItem>&) {
          PostKey(main, VK_ESCAPE);
          PostQuitMessage(0);
        });
  };
  std::vector<ShownItem> items = press(VK_F10, true, true);
  ASSERT_EQ(items.size(), kProgramItems) << "Shift+F10";
  EXPECT_EQ(items[0].text, kItem);
  items = press(VK_APPS, false, false);
  ASSERT_EQ(items.size(), kProgramItems) << "menu key";
  EXPECT_EQ(items[0].text, kItem);
}

}  // namespace
}  // namespace velmora::win32
