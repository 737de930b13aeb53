// The Win32 windows made from layouts: native controls, placement at the
// DPI, tab order, colours, fonts, rows and values, and the events that the
// window's messages become. Needs a display (tools/wine-tests.sh gives one).
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/wine/event_recorder.h"
#include "tests/wine/pump.h"
#include "tests/wine/window_helpers.h"

namespace velmora::win32 {
namespace {

using K = ControlKind;
constexpr Colour kGreen = 0x00C0FFC0;
constexpr Colour kBlue = 0x00FF0000;

constexpr ControlLayout kControls[] = {
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
constexpr FormLayout kLayout = {
    "testform", "Test \xE2\x80\x93 Window",
    kGreen,     {"Arial", 8.25, false},
    6105,       4800,
    1,          kControls,
};

using testing::H;
using testing::PlaceOf;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = factory.Create(kLayout, sink.Events());
    sink.Bind(*window, kLayout);
    ASSERT_TRUE(window->Loaded());
    hwnd = H(NativeHandle(*window));
    ASSERT_NE(hwnd, nullptr);
    dpi = GetDeviceCaps(GetDC(hwnd), LOGPIXELSY);
  }
  void TearDown() override {
    window.reset();
    Pump();
  }
  HWND Ctl(std::string_view name) { return H(NativeHandle(*window, name)); }
  int Px(int twips) { return MulDiv(twips, dpi, 1440); }

  Win32WindowFactory factory{false};
  Recorder sink;
  std::unique_ptr<Window> window;
  HWND hwnd = nullptr;
  int dpi = 96;
};

TEST_F(WindowTest, HasItsCaptionAndInnerSize) {
  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Test \u2013 Window");
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, Px(6105));
  EXPECT_EQ(client.bottom, Px(4800));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  window->Show();
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(WindowTest, MakesTheStandardControls) {
  EXPECT_EQ(ClassOf(Ctl("btn")), L"Button");
  EXPECT_EQ(ClassOf(Ctl("chk")), L"Button");
  EXPECT_EQ(ClassOf(Ctl("lbl")), L"Static");
  EXPECT_EQ(ClassOf(Ctl("txt")), L"Edit");
  EXPECT_EQ(ClassOf(Ctl("lst")), L"ListBox");
  EXPECT_EQ(ClassOf(Ctl("fil")), L"ListBox");
  EXPECT_EQ(ClassOf(Ctl("drv")), L"ComboBox");
  EXPECT_EQ(Ctl("tmr"), nullptr);
  EXPECT_EQ(Ctl("ln"), nullptr);
  const auto style = [&](std::string_view name) {
    return GetWindowLongW(Ctl(name), GWL_STYLE);
  };
  EXPECT_EQ(style("btn") & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_TRUE(style("btn") & BS_MULTILINE);
  EXPECT_EQ(style("chk") & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_EQ(style("drv") & 3, CBS_DROPDOWNLIST);
  EXPECT_FALSE(style("lst") & LBS_SORT);
  EXPECT_TRUE(style("txt") & ES_READONLY);
  EXPECT_TRUE(style("txt") & ES_MULTILINE);
  EXPECT_TRUE(style("lbl") & SS_NOPREFIX);
  for (const char* name : {"btn", "chk", "txt", "lst", "fil", "drv"})
    EXPECT_TRUE(style(name) & WS_TABSTOP) << name;
  EXPECT_FALSE(style("fix") & WS_TABSTOP);
  wchar_t text[64] = {};
  GetWindowTextW(Ctl("btn"), text, 64);
  EXPECT_EQ(std::wstring(text), L"&Go && stop with a long caption");
}

TEST_F(WindowTest, PlacesControlsAtTheirTwipsPositions) {
  for (const char* name : {"btn", "chk", "lst", "fil", "fix", "txt", "drv"}) {
    const ControlLayout* c = nullptr;
    for (const auto& row : kControls) {
      if (row.name == name) c = &row;
    }
    const RECT rect = PlaceOf(Ctl(name));
    EXPECT_EQ(rect.left, Px(c->left)) << name;
    EXPECT_EQ(rect.top, Px(c->top)) << name;
    EXPECT_EQ(rect.right - rect.left, Px(c->width)) << name;
    if (c->kind != K::DriveList) {
      EXPECT_EQ(rect.bottom - rect.top, Px(c->height)) << name;
    }
  }
  // The closed drive list is as high as designed.
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(Ctl("drv"), &info));
  RECT closed;
  GetWindowRect(Ctl("drv"), &closed);
  EXPECT_EQ(closed.bottom - closed.top, Px(315));
}

TEST_F(WindowTest, ZOrderFollowsTheTabOrder) {
  std::vector<HWND> expected = {Ctl("fix"), Ctl("btn"), Ctl("drv"), Ctl("chk"),
                                Ctl("fil"), Ctl("lst"), Ctl("lbl"), Ctl("txt")};
  std::vector<HWND> actual;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT))
    actual.push_back(child);
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(GetNextDlgTabItem(hwnd, Ctl("btn"), FALSE), Ctl("drv"));
  EXPECT_EQ(GetNextDlgTabItem(hwnd, Ctl("fil"), FALSE), Ctl("lst"));
}

TEST_F(WindowTest, ListRowsAndSelection) {
  Widget& list = window->Control("lst");
  EXPECT_TRUE(list.Rows().empty());
  EXPECT_EQ(list.Selected(), -1);
  list.AddRow("b line");
  list.AddRow("a line");
  list.AddRow("\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(list.Rows(), (std::vector<std::string>{"b line", "a line",
                                                   "\xC3\xA9t\xC3\xA9"}));
  list.Select(1);
  EXPECT_EQ(list.Selected(), 1);
  list.Select(7);
  EXPECT_EQ(list.Selected(), -1);
  list.SetRows({"x", "y"});
  EXPECT_EQ(list.Rows(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(list.Selected(), -1);
  list.Select(0);
  list.SetRows({"x", "y"});  // the same rows drop the selection too
  EXPECT_EQ(list.Selected(), -1);
  list.SetRows({});
  EXPECT_TRUE(list.Rows().empty());
  Pump();
  EXPECT_TRUE(sink.events.empty());  // selecting by code fires nothing
}

TEST_F(WindowTest, DropDownRowsAndSelection) {
  Widget& drives = window->Control("drv");
  drives.SetRows({"C:", "D: [DATA]", "E:"});
  EXPECT_EQ(drives.Rows(), (std::vector<std::string>{"C:", "D: [DATA]", "E:"}));
  drives.Select(1);
  EXPECT_EQ(drives.Selected(), 1);
  wchar_t shown[32] = {};
  GetWindowTextW(Ctl("drv"), shown, 32);
  EXPECT_EQ(std::wstring(shown), L"D: [DATA]");
  drives.Select(-1);
  EXPECT_EQ(drives.Selected(), -1);
  drives.AddRow("F:");
  EXPECT_EQ(drives.Rows().back(), "F:");
  Pump();
  EXPECT_TRUE(sink.events.empty());
}

TEST_F(WindowTest, TextBoxShowsWindowsLineBreaks) {
  Widget& text = window->Control("txt");
  EXPECT_EQ(text.Text(), "one\ntwo");
  text.SetText("a\nb\r\nc");
  wchar_t raw[32] = {};
  GetWindowTextW(Ctl("txt"), raw, 32);
  EXPECT_EQ(std::wstring(raw), L"a\r\nb\r\nc");
  EXPECT_EQ(text.Text(), "a\nb\nc");
  EXPECT_EQ(SendMessageW(Ctl("txt"), EM_GETLINECOUNT, 0, 0), 3);
}

TEST_F(WindowTest, AutosizedLabelFitsItsText) {
  Widget& label = window->Control("lbl");
  EXPECT_EQ(label.Text(), "...");
  const RECT before = PlaceOf(Ctl("lbl"));
  label.SetText("A much longer caption");
  const RECT after = PlaceOf(Ctl("lbl"));
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  HDC dc = GetDC(Ctl("lbl"));
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(Ctl("lbl"), WM_GETFONT, 0, 0)));
  SIZE extent;
  GetTextExtentPoint32W(dc, L"A much longer caption", 21, &extent);
  SelectObject(dc, old);
  ReleaseDC(Ctl("lbl"), dc);
  EXPECT_EQ(after.right - after.left, extent.cx);
  EXPECT_EQ(after.bottom - after.top, extent.cy);
  EXPECT_GT(after.right - after.left, before.right - before.left);
}

TEST_F(WindowTest, FontsComeFromTheDesign) {
  const auto font_of = [&](std::string_view name) {
    LOGFONTW font = {};
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(Ctl(name), WM_GETFONT, 0, 0)),
        sizeof font, &font);
    return font;
  };
  const LOGFONTW label = font_of("lbl");
  EXPECT_EQ(std::wstring(label.lfFaceName), L"Arial");
  EXPECT_EQ(label.lfHeight, -static_cast<int>(14.25 * dpi / 72 + 0.5));
  EXPECT_EQ(label.lfWeight, FW_BOLD);
  const LOGFONTW button = font_of("btn");
  EXPECT_EQ(std::wstring(button.lfFaceName), L"Arial");
  EXPECT_EQ(button.lfHeight, -static_cast<int>(8.25 * dpi / 72 + 0.5));
  EXPECT_EQ(button.lfWeight, FW_NORMAL);
}

// The colour a control is painted with, as the window answers its
// WM_CTLCOLOR* message.
COLORREF BrushColour(HWND parent, UINT message, HWND control,
                     COLORREF* text = nullptr) {
  HDC dc = GetDC(control);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control)));
  LOGBRUSH info = {};
  GetObjectW(brush, sizeof info, &info);
  if (text) *text = GetTextColor(dc);
  EXPECT_EQ(GetBkColor(dc), info.lbColor);
  ReleaseDC(control, dc);
  return info.lbColor;
}

TEST_F(WindowTest, ColoursComeFromTheDesign) {
  COLORREF text = 0;
  EXPECT_EQ(BrushColour(hwnd, WM_CTLCOLORSTATIC, Ctl("lbl"), &text), kGreen);
  EXPECT_EQ(text, kBlue);
  EXPECT_EQ(BrushColour(hwnd, WM_CTLCOLORSTATIC, Ctl("chk")), kGreen);
  EXPECT_EQ(BrushColour(hwnd, WM_CTLCOLORSTATIC, Ctl("fix")),
            GetSysColor(COLOR_APPWORKSPACE));
  EXPECT_EQ(BrushColour(hwnd, WM_CTLCOLORSTATIC, Ctl("txt")),
            GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(BrushColour(hwnd, WM_CTLCOLORLISTBOX, Ctl("drv")), 0x00FFFFFFu);
  // The window's own background and its line.
  window->Show();
  UpdateWindow(hwnd);
  HDC dc = GetDC(hwnd);
  EXPECT_EQ(GetPixel(dc, Px(6000), Px(4700)), kGreen);
  EXPECT_EQ(GetPixel(dc, Px(3000), Px(120)), GetSysColor(COLOR_WINDOWTEXT));
  ReleaseDC(hwnd, dc);
}

TEST_F(WindowTest, CheckBoxValues) {
  Widget& box = window->Control("chk");
  EXPECT_EQ(box.Value(), 0);
  box.SetValue(1);
  EXPECT_EQ(box.Value(), 1);
  box.SetValue(2);
  EXPECT_EQ(box.Value(), 2);
  box.SetValue(0);
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(GetWindowLongW(Ctl("chk"), GWL_STYLE) & BS_TYPEMASK,
            BS_AUTOCHECKBOX);
}

TEST_F(WindowTest, ClicksBecomeClickEvents) {
  SendMessageW(Ctl("btn"), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.Count("btn", Event::Click), 1);
  Widget& box = window->Control("chk");
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.Count("chk", Event::Click), 1);
  EXPECT_EQ(box.Value(), 1);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 0);
  box.SetValue(2);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(sink.Count("chk", Event::Click), 3);
}

TEST_F(WindowTest, ClickEventSeesTheNewValue) {
  int seen = -1;
  sink.on_event = [&](std::string_view control, Event) {
    if (control == "chk") seen = window->Control("chk").Value();
  };
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(seen, 1);
}

TEST_F(WindowTest, SelectionNotificationsBecomeEvents) {
  window->Control("drv").SetRows({"C:", "D:"});
  window->Control("fil").SetRows({"autorun.inf"});
  const auto notify = [&](std::string_view name, WORD code) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Ctl(name)), code),
                 reinterpret_cast<LPARAM>(Ctl(name)));
  };
  notify("drv", CBN_SELCHANGE);
  notify("drv", CBN_DROPDOWN);
  notify("fil", LBN_SELCHANGE);
  notify("fil", LBN_DBLCLK);
  EXPECT_EQ(sink.Count("drv", Event::Change), 1);
  EXPECT_EQ(sink.Count("fil", Event::Click), 1);
  EXPECT_EQ(sink.events.size(), 2u);
  // The control ids stay clear of IDOK and IDCANCEL.
  for (const char* name : {"btn", "chk", "drv", "fil", "lst", "lbl", "txt"}) {
    EXPECT_NE(GetDlgCtrlID(Ctl(name)), IDOK) << name;
    EXPECT_NE(GetDlgCtrlID(Ctl(name)), IDCANCEL) << name;
  }
}

TEST_F(WindowTest, TimerTicksWhileEnabled) {
  window->Control("tmr").SetRunning(true);
  Pump([&] { return sink.Count("tmr", Event::Timer) >= 2; }, 3000);
  EXPECT_GE(sink.Count("tmr", Event::Timer), 2);
  window->Control("tmr").SetRunning(false);
  Pump();
  const int ticks = sink.Count("tmr", Event::Timer);
  Pump(nullptr, 200);
  EXPECT_EQ(sink.Count("tmr", Event::Timer), ticks);
}

TEST_F(WindowTest, CloseBoxUnloadsTheWindow) {
  window->Show();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(sink.Count("", Event::Unload), 1);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(window->Loaded());
  EXPECT_EQ(factory.LiveWindows(), 0);
  // The object stays usable, and Show builds the window again.
  window->Control("lst").AddRow("ignored");
  EXPECT_TRUE(window->Control("lst").Rows().empty());
  window->Show();
  EXPECT_TRUE(window->Loaded());
  EXPECT_TRUE(IsWindowVisible(H(NativeHandle(*window))));
  EXPECT_EQ(window->Control("txt").Text(), "one\ntwo");
}

TEST_F(WindowTest, UnloadFromInsideAnEventIsSafe) {
  sink.on_event = [&](std::string_view control, Event) {
    if (control == "btn") window->Unload();
  };
  SendMessageW(Ctl("btn"), BM_CLICK, 0, 0);
  EXPECT_FALSE(window->Loaded());
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, VolumeArrivalAndRemovalBecomeEvents) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
               reinterpret_cast<LPARAM>(&volume));
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
               reinterpret_cast<LPARAM>(&volume));
  DEV_BROADCAST_HDR port = {};
  port.dbch_size = sizeof port;
  port.dbch_devicetype = DBT_DEVTYP_PORT;
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
               reinterpret_cast<LPARAM>(&port));
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  // The window handles a volume message after the system's call returns.
  Pump([&] { return sink.events.size() >= 2; }, 3000);
  EXPECT_EQ(sink.Count("", Event::DeviceArrival), 1);
  EXPECT_EQ(sink.Count("", Event::DeviceRemoval), 1);
  EXPECT_EQ(sink.events.size(), 2u);
  for (const Recorded& e : sink.events)
    EXPECT_EQ(e.letters, DriveLetters(1u << 4)) << "E: only";
}

TEST_F(WindowTest, HasTheIconOfItsResource) {
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(WindowTest, UnknownControlNameThrows) {
  EXPECT_THROW(window->Control("nothing"), std::out_of_range);
}

// A message box waits while timers keep ticking; the test answers it from a
// tick, as a user would click its button.
TEST_F(WindowTest, MessageBoxKeepsTimersTickingAndUsesTheAppTitle) {
  window->Show();
  Win32System system("Velmora");
  HWND box_owner = nullptr;
  std::wstring box_title;
  int ticks_seen = 0;
  WPARAM answer = IDYES;
  sink.on_event = [&](std::string_view control, Event event) {
    if (control != "tmr" || event != Event::Timer) return;
    if (++ticks_seen < 3) return;
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box) return;
    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    box_title = title;
    box_owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, answer, 0);
  };
  window->Control("tmr").SetRunning(true);
  EXPECT_EQ(system.MsgBox("Remove it?", kYesNoInformation, ""), kResultYes);
  EXPECT_GE(ticks_seen, 3);
  EXPECT_EQ(box_title, L"Velmora");
  EXPECT_EQ(box_owner, hwnd);

  ticks_seen = 0;
  answer = IDCANCEL;
  EXPECT_EQ(system.MsgBox("Error: 21: x", kOkCancelExclamation, "ERROR"),
            kResultCancel);
  EXPECT_EQ(box_title, L"ERROR");
  window->Control("tmr").SetRunning(false);
}

TEST(FactoryTest, QuitsWhenTheLastWindowCloses) {
  Win32WindowFactory factory;
  Recorder sink;
  auto first = factory.Create(kLayout, sink.Events());
  auto second = factory.Create(kLayout, sink.Events());
  EXPECT_EQ(factory.LiveWindows(), 2);
  first->Unload();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  second->Unload();
  EXPECT_EQ(factory.LiveWindows(), 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FactoryTest, MessageLoopReturnsTheQuitCode) {
  PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(), 7);
}

}  // namespace
}  // namespace velmora::win32

#include "tests/common/widget_contract.h"

namespace velmora::win32 {
namespace {

TEST(WidgetContractTest, Win32ControlsKeepTheContract) {
  Win32WindowFactory factory(false);
  contract::CheckWidgetContract(factory);
}

}  // namespace
}  // namespace velmora::win32
