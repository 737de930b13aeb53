// "Turn Off AutoRun for All Drives" through velmora.exe's own menus: the
// system menu (Alt+Space) and the drive list's context menu (right click)
// hold the item; choosing it writes or puts back the policy values in the
// prefix's registry, logs the change and moves the check mark. A menu of
// another process cannot be read item by item under Wine, so the items are
// chosen from the keyboard as a user would, and the check mark is read from
// the screen: the picture of the item's check column before and after.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "menus.h"

namespace e2e {
namespace {

constexpr wchar_t kPolicies[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char kOffLine[] = "AutoRun turned off for all drives of this account";
constexpr char kOnLine[] =
    "AutoRun turned back on for all drives of this account";

std::optional<DWORD> Policy(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kPolicies, name, RRF_RT_REG_DWORD,
                   nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void ForgetAutorunSettings() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicies, L"NoDriveTypeAutoRun");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kPolicies, L"NoAutorun");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Velmora");
}

// The check column of the program's items on the screen, the AutoRun
// switch and those below it (whose look stays the same within a test): the
// lower left corner of the menu inside its border, as dark (1) or light (0)
// pixels.
std::vector<int> CheckColumn(HWND menu) {
  RECT rect;
  GetWindowRect(menu, &rect);
  const int border = 3, width = 24, height = 20 * kProgramItems;
  const int left = rect.left + border, top = rect.bottom - border - height;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
  std::vector<int> dark;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = GetPixel(memory, x, y);
      dark.push_back(GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100);
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return dark;
}

int Count(const std::vector<int>& dark) {
  int n = 0;
  for (int d : dark) n += d;
  return n;
}

// True once the menu's last item, one of the program's, shows the start
// of its text in the lowest rows of the check column. A menu is drawn from
// the top down, so a menu whose drawing was held up (a busy machine) shows
// its upper items alone for a while, alike from one reading to the next.
bool LastItemDrawn(const std::vector<int>& dark) {
  const std::size_t item = dark.size() / kProgramItems;
  return std::count(dark.end() - item, dark.end(), 1) > 0;
}

// The check column once the menu has been drawn down to its last item, two
// readings in a row alike.
std::vector<int> SettledCheckColumn(HWND menu) {
  std::vector<int> last = CheckColumn(menu), now;
  const bool drawn = WaitFor(
      [&] {
        now = CheckColumn(menu);
        const bool same = now == last && LastItemDrawn(now);
        last = now;
        return same;
      },
      kWaitMs, 100);
  RECT rect = {};
  GetWindowRect(menu, &rect);
  EXPECT_TRUE(drawn) << "the menu was not drawn: " << rect.left << ","
                     << rect.top << " " << rect.right << "," << rect.bottom
                     << " visible " << IsWindowVisible(menu) << " dark "
                     << Count(now);
  return now;
}

// The check column with the mark differs from the one without and is
// darker.
void ExpectCheckMark(const std::vector<int>& checked,
                     const std::vector<int>& unchecked) {
  EXPECT_NE(checked, unchecked);
  EXPECT_GT(Count(checked), Count(unchecked));
}

class AutorunMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetAutorunSettings();
    SetCursorPos(0, 0);  // away from where the menus open
  }
  void TearDown() override { ForgetAutorunSettings(); }

  void CloseMenu(const App& app, int escapes) {
    for (int i = 0; i < escapes; ++i) PostKey(app.main(), VK_ESCAPE);
    EXPECT_TRUE(MenuGone(app));
  }
};

TEST_F(AutorunMenu, SystemMenuAndDriveListMenuTurnAutorunOffAndBackOn) {
  App app;
  ASSERT_TRUE(app.started());

  // Off, from the system menu.
  HWND menu = OpenSystemMenu(app);
  ASSERT_TRUE(menu);
  const std::vector<int> unchecked_system = SettledCheckColumn(menu);
  ASSERT_TRUE(ChooseProgramItem(app, ProgramItem::Autorun, true));
  EXPECT_EQ(app.WaitLog(1), std::vector<std::string>{kOffLine});
  EXPECT_EQ(Policy(L"NoDriveTypeAutoRun"), 0xFFu);
  EXPECT_EQ(Policy(L"NoAutorun"), 1u);

  menu = OpenSystemMenu(app);
  ASSERT_TRUE(menu);
  const std::vector<int> checked_system = SettledCheckColumn(menu);
  CloseMenu(app, 2);
  ExpectCheckMark(checked_system, unchecked_system);

  // Back on, from the drive list's menu: Home selects its first item, ours.
  menu = OpenContextMenu(app);
  ASSERT_TRUE(menu);
  const std::vector<int> checked_context = SettledCheckColumn(menu);
  ASSERT_TRUE(ChooseItem(app, VK_HOME));
  EXPECT_EQ(app.WaitLog(2), (std::vector<std::string>{kOffLine, kOnLine}));
  EXPECT_EQ(Policy(L"NoDriveTypeAutoRun"), std::nullopt);
  EXPECT_EQ(Policy(L"NoAutorun"), std::nullopt);

  menu = OpenContextMenu(app);
  ASSERT_TRUE(menu);
  const std::vector<int> unchecked_context = SettledCheckColumn(menu);
  CloseMenu(app, 1);
  ExpectCheckMark(checked_context, unchecked_context);
  EXPECT_TRUE(app.NoBox());
}

}  // namespace
}  // namespace e2e
