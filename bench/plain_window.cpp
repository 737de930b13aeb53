// The floor for the main window's start-up: what velmora.exe's first window
// needs at the least, written plainly. The same manifest (plain_window.rc),
// InitCommonControlsEx, one window of the same size and style, and the same
// 18 standard child windows with their three fonts, made in one pass from
// the table below; nothing else (no icon, no drive list, no colours). It
// exits when the window is closed (the benchmark driver closes it once it
// has seen it) or after a few seconds on its own.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "bench/baseline_window.h"

namespace {

constexpr wchar_t kCaption[] = L"Velmora Bench Plain Window";
constexpr int kInnerWidth = 6105, kInnerHeight = 3840;  // twips

enum FontIndex { kText, kTitle, kBold, kFonts };

struct Child {
  const wchar_t* window_class;
  const wchar_t* caption;
  DWORD style;
  DWORD ex_style;
  int left, top, width, height;  // twips
  FontIndex font;
};

constexpr DWORD kButton =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
constexpr DWORD kCheck =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kList = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LBS_NOTIFY |
                        LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
constexpr DWORD kCombo =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL;

// In the order the main window makes them (its tab order).
// clang-format off
constexpr Child kChildren[] = {
    {L"STATIC", L"Kestrin - Velmora", kLabel, 0, 1680, 120, 2610, 345, kTitle},
    {L"BUTTON", L"&Search && &Remove Autorun", kButton, 0, 120, 600, 1935, 495, kText},
    {L"BUTTON", L"View Autorun.inf Contents On Selected Drive", kButton, 0, 2160, 600, 2055, 495, kText},
    {L"COMBOBOX", L"", kCombo, 0, 720, 1200, 3855, 315, kText},
    {L"LISTBOX", L"", kList, WS_EX_CLIENTEDGE, 120, 2160, 2775, 1260, kText},
    {L"STATIC", L"Drive:", kLabel, 0, 120, 1320, 495, 255, kText},
    {L"STATIC", L"Displaying All Drives with Autorun.inf", kLabel, 0, 120, 1920, 2895, 255, kText},
    {L"STATIC", L"Log", kLabel, 0, 3000, 1920, 1455, 255, kText},
    {L"BUTTON", L"About", kButton, 0, 4320, 600, 1695, 495, kText},
    {L"STATIC", L"A autorun remover. Made in the Philippines.", kLabel, 0, 120, 3480, 3015, 255, kText},
    {L"STATIC", L"File:", kLabel, 0, 120, 1680, 375, 255, kBold},
    {L"STATIC", L"...", kLabel, 0, 480, 1680, 180, 195, kText},
    {L"BUTTON", L"Reload Drives", kButton, 0, 4680, 1200, 1335, 375, kText},
    {L"LISTBOX", L"", kList, WS_EX_CLIENTEDGE, 3000, 2160, 3015, 1230, kText},
    {L"BUTTON", L"Auto Refresh Drives", kCheck, 0, 4080, 1560, 1935, 375, kText},
    {L"BUTTON", L"Auto Remove w/o Notification", kCheck, 0, 1440, 1560, 2535, 375, kText},
    {L"BUTTON", L"Clear Log", kButton, 0, 4680, 3480, 1335, 255, kText},
    {L"BUTTON", L"Notify When Removing ", kCheck, 0, 4080, 1920, 2295, 255, kText},
};
// clang-format on

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  constexpr wchar_t kClass[] = L"VelmoraBenchPlainWindow";
  if (!bench::RegisterBaselineClass(instance, kClass, COLOR_BTNFACE + 1))
    return 1;

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_CLIPCHILDREN;
  RECT frame = {0, 0, px(kInnerWidth), px(kInnerHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  HWND hwnd = CreateWindowExW(
      WS_EX_CONTROLPARENT, kClass, kCaption, style, CW_USEDEFAULT,
      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
      nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;

  HFONT fonts[kFonts];
  const struct {
    double points;
    int weight;
  } faces[kFonts] = {{8.25, FW_NORMAL}, {14.25, FW_NORMAL}, {8.25, FW_BOLD}};
  for (int i = 0; i < kFonts; ++i)
    fonts[i] =
        CreateFontW(-static_cast<int>(faces[i].points * dpi / 72 + 0.5), 0, 0,
                    0, faces[i].weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, L"Arial Narrow");
  int id = 1;
  for (const Child& c : kChildren) {
    HWND child = CreateWindowExW(
        c.ex_style, c.window_class, c.caption, c.style, px(c.left), px(c.top),
        px(c.width), px(c.height), hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[c.font]),
                 FALSE);
  }
  bench::ShowAndRun(hwnd, show);
  for (HFONT font : fonts) DeleteObject(font);
  return 0;
}
