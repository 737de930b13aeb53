// The Win32 window made from a layout, as it looks: native controls,
// placement at the DPI, tab order, colours, fonts, icon, rows and values.
// Needs a display (tools/wine-tests.sh gives one).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

using testing::PlaceOf;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

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

TEST_F(WindowTest, HasTheIconOfItsResource) {
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(WindowTest, UnknownControlNameThrows) {
  EXPECT_THROW(window->Control("nothing"), std::out_of_range);
}

}  // namespace
}  // namespace velmora::win32
