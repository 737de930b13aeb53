// The main window as velmora.exe shows it: caption, controls with their
// captions, places and tab order, and the state right after start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "harness.h"

namespace e2e {
namespace {

// One row of the design: class, caption, place in twips, and whether the
// control sizes itself to its text (then only its corner is fixed).
struct Designed {
  const char* name;
  const char* cls;
  const char* caption;
  int left, top, width, height;
  bool autosize = false;
};

constexpr Designed kButtons[] = {
    {"cmdremove", "Button", "&Search && &Remove Autorun", 120, 600, 1935, 495},
    {"cmdrescan", "Button", "View Autorun.inf Contents On Selected Drive", 2160,
     600, 2055, 495},
    {"cmdabout", "Button", "About", 4320, 600, 1695, 495},
    {"cmdreload", "Button", "Reload Drives", 4680, 1200, 1335, 375},
    {"cmdclear", "Button", "Clear Log", 4680, 3480, 1335, 255},
};
constexpr Designed kCheckBoxes[] = {
    {"Check3", "Button", "Notify When Removing ", 4080, 1920, 2295, 255},
    {"Check2", "Button", "Auto Remove w/o Notification", 1440, 1560, 2535, 375},
    {"Check1", "Button", "Auto Refresh Drives", 4080, 1560, 1935, 375},
};
constexpr Designed kLabels[] = {
    {"lblfilename", "Static", "...", 480, 1680, 180, 195, true},
    {"Label6", "Static", "File:", 120, 1680, 375, 255},
    {"Label5", "Static", "A autorun remover. Made in the Philippines.", 120,
     3480, 3015, 255},
    {"Label4", "Static", "Log", 3000, 1920, 1455, 255},
    {"Label3", "Static", "Displaying All Drives with Autorun.inf", 120, 1920,
     2895, 255},
    {"Label2", "Static", "Drive:", 120, 1320, 495, 255},
    {"Label1", "Static", "Kestrin - Velmora", 1680, 120, 2610, 345, true},
};
constexpr Designed kDrive1 = {"Drive1", "ComboBox", "", 720, 1200, 3855, 315};
constexpr Designed kFile1 = {"File1", "ListBox", "", 120, 2160, 2775, 1260};
constexpr Designed kList1 = {"List1", "ListBox", "", 3000, 2160, 3015, 1230};

constexpr int kTolerance = 2;  // pixels lost to rounding

void ExpectPlace(HWND main, HWND control, const Designed& row) {
  UINT dpi = DpiOf(main);
  RECT r = RectIn(control, main);
  auto close_to = [](int got, int want) {
    return std::abs(got - want) <= kTolerance;
  };
  int left = TwipsToPixels(row.left, dpi), top = TwipsToPixels(row.top, dpi);
  EXPECT_TRUE(close_to(r.left, left) && close_to(r.top, top))
      << row.name << " at (" << r.left << "," << r.top << "), designed ("
      << left << "," << top << ") at " << dpi << " dpi";
  if (row.autosize) return;
  int width = TwipsToPixels(row.width, dpi);
  int height = TwipsToPixels(row.height, dpi);
  EXPECT_TRUE(close_to(r.right - r.left, width) &&
              close_to(r.bottom - r.top, height))
      << row.name << " is " << r.right - r.left << "x" << r.bottom - r.top
      << ", designed " << width << "x" << height << " at " << dpi << " dpi";
}

LONG ButtonType(HWND button) {
  return GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
}

// The drive letters this prefix has, in letter order.
std::vector<char> MachineDrives() {
  std::vector<char> letters;
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) letters.push_back(static_cast<char>('A' + i));
  return letters;
}

using MainWindow = OnEmptyDrives;

TEST_F(MainWindow, HasItsCaptionAndInnerSize) {
  App app;
  ASSERT_TRUE(app.started());
  EXPECT_EQ(TextOf(app.main()), kMainCaption);
  UINT dpi = DpiOf(app.main());
  RECT client;
  GetClientRect(app.main(), &client);
  EXPECT_NEAR(client.right, TwipsToPixels(6105, dpi), kTolerance);
  EXPECT_NEAR(client.bottom, TwipsToPixels(3840, dpi), kTolerance);
}

// Each row of `rows` is a visible control at its place; with `types`, a
// button of one of those types.
template <size_t N>
void ExpectShown(App& app, const Designed (&rows)[N],
                 std::initializer_list<LONG> types = {}) {
  for (const Designed& row : rows) {
    HWND control = app.Control(row.cls, row.caption);
    if (!control) continue;
    EXPECT_TRUE(IsWindowVisible(control)) << row.name;
    if (types.size() > 0) {
      LONG type = ButtonType(control);
      EXPECT_TRUE(std::find(types.begin(), types.end(), type) != types.end())
          << row.name << " has button type " << type;
    }
    ExpectPlace(app.main(), control, row);
  }
}

TEST_F(MainWindow, ShowsEveryDesignedControlAtItsPlace) {
  App app;
  ASSERT_TRUE(app.started());
  ExpectShown(app, kButtons, {BS_PUSHBUTTON, BS_DEFPUSHBUTTON});
  ExpectShown(app, kCheckBoxes, {BS_CHECKBOX, BS_AUTOCHECKBOX});
  ExpectShown(app, kLabels);
  if (HWND combo = app.DriveCombo()) ExpectPlace(app.main(), combo, kDrive1);
  if (HWND files = app.FileList()) ExpectPlace(app.main(), files, kFile1);
  if (HWND log = app.Log()) ExpectPlace(app.main(), log, kList1);
}

TEST_F(MainWindow, LongButtonCaptionWraps) {
  App app;
  ASSERT_TRUE(app.started());
  HWND view =
      app.Control("Button", "View Autorun.inf Contents On Selected Drive");
  ASSERT_TRUE(view);
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & BS_MULTILINE);
}

TEST_F(MainWindow, AutosizedLabelsAreWideEnoughForTheirText) {
  App app;
  ASSERT_TRUE(app.started());
  // "Kestrin - Velmora" in 14.25 point cannot fit in the few pixels that
  // "..." needs, so a title that did not size itself would show clipped.
  HWND title = app.Control("Static", "Kestrin - Velmora");
  HWND dots = app.Control("Static", "...");
  ASSERT_TRUE(title && dots);
  RECT t = RectIn(title, app.main()), d = RectIn(dots, app.main());
  EXPECT_GT(t.right - t.left, 3 * (d.right - d.left));
  EXPECT_GT(t.bottom - t.top, d.bottom - d.top);
}

// The tab order of the design, leaving out the labels, which take no focus.
constexpr const char* kTabOrder[] = {
    "cmdremove", "cmdrescan", "Drive1", "File1",    "cmdabout", "cmdreload",
    "List1",     "Check1",    "Check2", "cmdclear", "Check3"};

// Names each focusable control of the main window by the design.
std::string NameOf(App& app, HWND control) {
  if (control == app.DriveCombo()) return "Drive1";
  if (control == app.FileList()) return "File1";
  if (control == app.Log()) return "List1";
  std::string text = TextOf(control);
  for (const Designed& row : kButtons)
    if (text == row.caption) return row.name;
  for (const Designed& row : kCheckBoxes)
    if (text == row.caption) return row.name;
  return ClassOf(control) + " '" + text + "'";
}

TEST_F(MainWindow, TabStopsFollowTheDesignedOrder) {
  App app;
  ASSERT_TRUE(app.started());
  std::vector<std::string> stops;
  for (HWND child : Children(app.main()))
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP)
      stops.push_back(NameOf(app, child));
  EXPECT_EQ(stops, std::vector<std::string>(std::begin(kTabOrder),
                                            std::end(kTabOrder)));
}

TEST_F(MainWindow, TabKeyWalksTheControlsInTheDesignedOrder) {
  App app;
  ASSERT_TRUE(app.started());
  auto press_tab = [&] {
    HWND target = FocusIn(app.main());
    if (!target) target = app.main();
    HWND before = target;
    App::PressTab(target);
    WaitFor([&] { return FocusIn(app.main()) != before; }, 2000);
    return FocusIn(app.main());
  };
  // Two rounds of the order, starting wherever the focus lands first.
  std::vector<std::string> seen;
  for (size_t i = 0; i < 2 * std::size(kTabOrder); ++i)
    seen.push_back(NameOf(app, press_tab()));
  size_t start = 0;
  while (start < std::size(kTabOrder) && seen[0] != kTabOrder[start]) ++start;
  ASSERT_LT(start, std::size(kTabOrder)) << "focus went to " << seen[0];
  for (size_t i = 0; i < seen.size(); ++i)
    EXPECT_EQ(seen[i], kTabOrder[(start + i) % std::size(kTabOrder)])
        << "Tab number " << i + 1;
}

TEST_F(MainWindow, StartsWithTheMachinesDrivesAndTheCurrentDriveSelected) {
  PutFile("E:\\autorun.inf", "[autorun]\r\n",
          FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  PutFile("E:\\readme.txt", "bystander");
  App app("E:\\");
  ASSERT_TRUE(app.started());

  HWND combo = app.DriveCombo();
  ASSERT_TRUE(combo);
  std::vector<std::string> rows = ComboRows(combo);
  std::vector<char> letters;
  for (const std::string& row : rows) {
    ASSERT_GE(row.size(), 2u) << "row '" << row << "'";
    EXPECT_EQ(row[1], ':') << "row '" << row << "'";
    letters.push_back(row[0]);
  }
  EXPECT_EQ(letters, MachineDrives());
  int selected = ComboSelected(combo);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(rows[static_cast<size_t>(selected)].substr(0, 2), "E:");

  // The file list shows the selected drive's autorun.inf, hidden as it is.
  EXPECT_EQ(ListRows(app.FileList()), std::vector<std::string>{"autorun.inf"});
  EXPECT_TRUE(app.LogLines().empty());
  for (const Designed& row : kCheckBoxes)
    if (HWND box = app.Control(row.cls, row.caption)) {
      EXPECT_EQ(CheckState(box), BST_UNCHECKED) << row.name;
    }
  EXPECT_TRUE(app.NoBox());
  // Start-up changes nothing on the drive.
  EXPECT_EQ(DosBits("E:\\autorun.inf"),
            DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
}

TEST_F(MainWindow, FileListIsEmptyWhenTheCurrentDriveHasNoAutorun) {
  PutFile("E:\\autorun.inf", "[autorun]\r\n");
  PutFile("F:\\readme.txt", "bystander");
  App app("F:\\");
  ASSERT_TRUE(app.started());
  HWND combo = app.DriveCombo();
  ASSERT_TRUE(combo);
  int selected = ComboSelected(combo);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(ComboRows(combo)[static_cast<size_t>(selected)].substr(0, 2), "F:");
  EXPECT_TRUE(ListRows(app.FileList()).empty());
}

TEST_F(MainWindow, PaintsItsBackgroundAndLines) {
  App app;
  ASSERT_TRUE(app.started());
  SetForegroundWindow(app.main());
  UINT dpi = DpiOf(app.main());
  auto px = [&](int twips) { return TwipsToPixels(twips, dpi); };
  // Between the two long lines, right of the title: bare background.
  COLORREF bare = CLR_INVALID;
  WaitFor(
      [&] {
        bare = ScreenPixel(app.main(), px(6000), px(300));
        return bare == kBackground;
      },
      3000);
  EXPECT_EQ(bare, kBackground) << std::hex << "pixel 0x" << bare;
  // Line3 runs across the window at 120 twips, Line2 at 480.
  for (int y : {120, 480}) {
    bool drawn = false;
    for (int dy = -1; dy <= 1; ++dy)
      drawn |= ScreenPixel(app.main(), px(5800), px(y) + dy) != kBackground;
    EXPECT_TRUE(drawn) << "no line at " << y << " twips";
  }
}

}  // namespace
}  // namespace e2e
