// Windows built from their layouts: one top-level window per layout with
// standard controls created in tab order, twips mapped to pixels at the
// window's DPI, colours and fonts from the design, and the window's
// messages turned into the program's events.
// clang-format off
#include "platform/win32/win32_internal.h"  // <windows.h> before <dbt.h>
#include <dbt.h>
// clang-format on

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace velmora::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VelmoraWindow";
// Control ids start past IDOK and IDCANCEL, which the dialog keyboard
// handling sends for Enter and Esc.
constexpr int kFirstControlId = 100;
constexpr UINT_PTR kFirstTimerId = 1;
// Rows the drive list shows when dropped.
constexpr int kDroppedRows = 12;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// Functions of newer Windows versions, looked up at run time so the program
// still starts where they are missing.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT DpiOf(HWND hwnd) {
  static const auto get_dpi =
      User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = get_dpi && hwnd ? get_dpi(hwnd) : 0;
  return dpi ? dpi : 96;
}

bool IsFocusable(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::TextBox:
    case ControlKind::ListBox:
    case ControlKind::FileList:
    case ControlKind::DriveList:
      return true;
    default:
      return false;
  }
}

bool HasNativeWindow(ControlKind kind) {
  return kind != ControlKind::Timer && kind != ControlKind::Line;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD,
                      LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const std::wstring& name) {
  static std::map<std::wstring, bool> known;
  auto it = known.find(name);
  if (it != known.end()) return it->second;
  LOGFONTW query = {};
  query.lfCharSet = DEFAULT_CHARSET;
  name.copy(query.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &query, NoteFace, reinterpret_cast<LPARAM>(&found),
                      0);
  ReleaseDC(nullptr, dc);
  return known[name] = found;
}

// Condensed design faces that are often missing. The font mapper would put
// a face of normal width in their place, and then captions made to fit no
// longer do; a narrow face stands in instead, or, where none is installed,
// the mapper's face drawn narrower.
constexpr const wchar_t* kCondensedFaces[] = {L"Nina"};
constexpr const wchar_t* kNarrowFaces[] = {
    L"Arial Narrow", L"Liberation Sans Narrow", L"Nimbus Sans Narrow"};
constexpr int kCondensedPercent = 87;  // narrow faces' width against Arial

HFONT MakeFont(const Font& font, UINT dpi) {
  const int height = -static_cast<int>(font.points * dpi / 72.0 + 0.5);
  std::wstring name = Widen(font.name);
  int width = 0;
  const bool condensed =
      std::find(std::begin(kCondensedFaces), std::end(kCondensedFaces), name) !=
      std::end(kCondensedFaces);
  if (condensed && !FaceInstalled(name)) {
    auto narrow =
        std::find_if(std::begin(kNarrowFaces), std::end(kNarrowFaces),
                     [](const wchar_t* face) { return FaceInstalled(face); });
    if (narrow != std::end(kNarrowFaces)) {
      name = *narrow;
    } else {
      HFONT probe =
          CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, name.c_str());
      HDC dc = GetDC(nullptr);
      HGDIOBJ old = SelectObject(dc, probe);
      TEXTMETRICW metrics = {};
      if (GetTextMetricsW(dc, &metrics))
        width = MulDiv(metrics.tmAveCharWidth, kCondensedPercent, 100);
      SelectObject(dc, old);
      ReleaseDC(nullptr, dc);
      DeleteObject(probe);
    }
  }
  return CreateFontW(height, width, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                     FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, name.c_str());
}

// The system's message font at `dpi`, for windows that name no font.
HFONT MessageFont(UINT dpi) {
  static const auto for_dpi =
      User32Function<ParametersForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (for_dpi &&
      for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
    return CreateFontIndirectW(&metrics.lfMessageFont);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                            0)) {
    metrics.lfMessageFont.lfHeight =
        MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), 96);
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return nullptr;
}

void RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  registered = RegisterClassExW(&wc) != 0;
}

}  // namespace

std::vector<HWND>& TopLevelWindows() {
  static std::vector<HWND> windows;
  return windows;
}

bool IsOurWindow(HWND hwnd) {
  const auto& windows = TopLevelWindows();
  return std::find(windows.begin(), windows.end(), hwnd) != windows.end();
}

// --- the factory ---

Win32WindowFactory::Win32WindowFactory(bool quit_when_last_closes)
    : quit_when_last_closes_(quit_when_last_closes) {}

Win32WindowFactory::~Win32WindowFactory() = default;

std::unique_ptr<Window> Win32WindowFactory::Create(const FormLayout& layout,
                                                   EventSink& sink) {
  return std::make_unique<Win32Window>(*this, layout, sink);
}

void Win32WindowFactory::WindowDestroyed() {
  if (--live_ == 0 && quit_when_last_closes_) PostQuitMessage(0);
}

void* NativeHandle(Window& window) {
  auto* win32 = dynamic_cast<Win32Window*>(&window);
  return win32 ? win32->hwnd() : nullptr;
}

void* NativeHandle(Window& window, std::string_view control) {
  auto* win32 = dynamic_cast<Win32Window*>(&window);
  return win32 ? win32->Get(control).hwnd : nullptr;
}

int RunMessageLoop() {
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsOurWindow(root) && TakeContextMenuKey(msg)) continue;
    if (root && IsOurWindow(root) && IsDialogMessageW(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// --- the window ---

Win32Window::Win32Window(Win32WindowFactory& factory, const FormLayout& layout,
                         EventSink& sink)
    : factory_(factory),
      layout_(layout),
      sink_(sink),
      menus_([this](HWND clicked) -> HWND {
        Win32Widget* widget = WidgetFor(clicked);
        return widget && widget->IsCombo() ? widget->hwnd : nullptr;
      }) {
  int id = kFirstControlId;
  for (const ControlLayout& control : layout_.controls)
    widgets_.push_back(std::make_unique<Win32Widget>(control, id++));
  CreateNative();
}

Win32Window::~Win32Window() {
  if (hwnd_) DestroyWindow(hwnd_);
}

Widget& Win32Window::Control(std::string_view name) { return Get(name); }

Win32Widget& Win32Window::Get(std::string_view name) {
  for (auto& widget : widgets_) {
    if (widget->layout.name == name) return *widget;
  }
  throw std::out_of_range("no control named " + std::string(name));
}

// A window unloaded before is built again from its design.
void Win32Window::Show() {
  if (!hwnd_) CreateNative();
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (!GetFocus() || !IsChild(hwnd_, GetFocus())) FocusFirst();
  UpdateWindow(hwnd_);
}

void Win32Window::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Win32Window::SetTimer(std::string_view name, bool enabled,
                           unsigned interval_ms) {
  UINT_PTR id = kFirstTimerId;
  for (auto& widget : widgets_) {
    if (widget->layout.name == name) break;
    ++id;
  }
  if (id - kFirstTimerId >= widgets_.size() || !hwnd_) return;
  if (enabled && interval_ms > 0) {
    ::SetTimer(hwnd_, id, interval_ms, nullptr);
    timers_[id] = widgets_[id - kFirstTimerId]->layout.name;
  } else {
    KillTimer(hwnd_, id);
    timers_.erase(id);
  }
}

void Win32Window::CreateNative() {
  RegisterWindowClass();
  const std::wstring caption = Widen(layout_.caption);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_CLIPCHILDREN;
  HWND hwnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, caption.c_str(), style,
                      CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return;
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(&Win32Window::WndProc));
  TopLevelWindows().push_back(hwnd_);
  ++factory_.live_;
  dpi_ = DpiOf(hwnd_);
  MakeFonts();
  CreateControls();
  Layout();

  // Centred on its monitor's work area.
  RECT window;
  GetWindowRect(hwnd_, &window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd_, nullptr,
               work.left + std::max(0L, (work.right - work.left - width) / 2),
               work.top + std::max(0L, (work.bottom - work.top - height) / 2),
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  HINSTANCE instance = GetModuleHandleW(nullptr);
  const int big = MulDiv(32, static_cast<int>(dpi_), 96);
  const int small = MulDiv(16, static_cast<int>(dpi_), 96);
  big_icon_ = static_cast<HICON>(LoadImageW(
      instance, MAKEINTRESOURCEW(layout_.icon_id), IMAGE_ICON, big, big, 0));
  small_icon_ =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(layout_.icon_id),
                                    IMAGE_ICON, small, small, 0));
  if (big_icon_)
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(big_icon_));
  if (small_icon_)
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(small_icon_));
}

// Controls are created in tab order, so that the Z order and Tab follow it.
void Win32Window::CreateControls() {
  std::vector<Win32Widget*> order;
  for (auto& widget : widgets_) {
    if (HasNativeWindow(widget->layout.kind)) order.push_back(widget.get());
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Win32Widget* a, const Win32Widget* b) {
                     return a->layout.tab < b->layout.tab;
                   });
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (Win32Widget* widget : order) {
    const ControlLayout& c = widget->layout;
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (IsFocusable(c.kind)) style |= WS_TABSTOP;
    DWORD ex_style = 0;
    const wchar_t* cls = L"BUTTON";
    switch (c.kind) {
      case ControlKind::Button:
        style |= BS_PUSHBUTTON | BS_MULTILINE;
        break;
      case ControlKind::CheckBox:
        // Becomes a three-state box only while it shows 2 (greyed).
        style |= BS_AUTOCHECKBOX | BS_MULTILINE;
        break;
      case ControlKind::Label:
        cls = L"STATIC";
        style |= SS_LEFT;
        if (c.caption.find('&') == std::string_view::npos) style |= SS_NOPREFIX;
        break;
      case ControlKind::TextBox:
        cls = L"EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                 WS_VSCROLL | WS_HSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::ListBox:
      case ControlKind::FileList:
        cls = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::DriveList:
        cls = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL;
        break;
      default:
        continue;
    }
    const std::wstring caption = Widen(c.caption);
    widget->hwnd = CreateWindowExW(
        ex_style, cls, c.kind == ControlKind::TextBox ? L"" : caption.c_str(),
        style, 0, 0, 10, 10, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(widget->id)), instance,
        nullptr);
    if (c.kind == ControlKind::TextBox) widget->SetText(std::string(c.caption));
  }
}

void Win32Window::MakeFonts() {
  if (window_font_) DeleteObject(window_font_);
  window_font_ = layout_.font.name.empty() ? MessageFont(dpi_)
                                           : MakeFont(layout_.font, dpi_);
  for (auto& [widget, font] : control_fonts_) DeleteObject(font);
  control_fonts_.clear();
  for (auto& widget : widgets_) {
    if (!widget->layout.font.name.empty())
      control_fonts_[widget.get()] = MakeFont(widget->layout.font, dpi_);
  }
}

HFONT Win32Window::FontFor(const Win32Widget& widget) const {
  auto it = control_fonts_.find(&widget);
  if (it != control_fonts_.end() && it->second) return it->second;
  if (window_font_) return window_font_;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Win32Window::Layout() {
  static const auto adjust =
      User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE));
  RECT rect = {0, 0, Px(layout_.inner_width, dpi_),
               Px(layout_.inner_height, dpi_)};
  if (adjust)
    adjust(&rect, style, FALSE, ex_style, dpi_);
  else
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left,
               rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  for (auto& widget : widgets_) {
    if (!widget->hwnd) continue;
    const ControlLayout& c = widget->layout;
    SendMessageW(widget->hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(*widget)), FALSE);
    const int x = Px(c.left, dpi_), y = Px(c.top, dpi_);
    const int width = Px(c.width, dpi_);
    int height = Px(c.height, dpi_);
    if (widget->IsCombo()) {
      // The closed box is as high as designed; the height given to the
      // window is the dropped list's.
      SetWindowPos(widget->hwnd, nullptr, x, y, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      // The field's height follows the item height set for it. A few steps
      // settle it, as systems count the borders differently (and Wine's
      // CB_GETITEMHEIGHT does not give back what was set).
      LRESULT field = SendMessageW(widget->hwnd, CB_GETITEMHEIGHT,
                                   static_cast<WPARAM>(-1), 0);
      for (int step = 0; step < 3 && field > 0; ++step) {
        RECT closed;
        GetWindowRect(widget->hwnd, &closed);
        const int extra = height - (closed.bottom - closed.top);
        if (extra == 0 || field + extra <= 0) break;
        field += extra;
        SendMessageW(widget->hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     field);
      }
      const LRESULT row = SendMessageW(widget->hwnd, CB_GETITEMHEIGHT, 0, 0);
      height += kDroppedRows * static_cast<int>(row > 0 ? row : 16) + 2;
    }
    SetWindowPos(widget->hwnd, nullptr, x, y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (c.autosize) widget->Autosize();
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32Window::FocusFirst() {
  HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (first) SetFocus(first);
}

Win32Widget* Win32Window::WidgetFor(HWND control) {
  for (auto& widget : widgets_) {
    if (widget->hwnd && widget->hwnd == control) return widget.get();
  }
  // The parts of a drive list (its field and its dropped list).
  for (auto& widget : widgets_) {
    if (!widget->hwnd || !widget->IsCombo()) continue;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(widget->hwnd, &info) &&
        (info.hwndList == control || info.hwndItem == control))
      return widget.get();
  }
  return nullptr;
}

// &H00BBGGRR is a COLORREF; &H800000nn names system colour nn.
COLORREF Win32Window::Resolve(Colour colour) const {
  if (colour == kWindowBackground) colour = layout_.background;
  if (colour == kNoColour) return GetSysColor(COLOR_BTNFACE);
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

HBRUSH Win32Window::Brush(COLORREF colour) {
  HBRUSH& brush = brushes_[colour];
  if (!brush) brush = CreateSolidBrush(colour);
  return brush;
}

void Win32Window::FreeResources() {
  if (window_font_) DeleteObject(window_font_);
  window_font_ = nullptr;
  for (auto& [widget, font] : control_fonts_) DeleteObject(font);
  control_fonts_.clear();
  for (auto& [colour, brush] : brushes_) DeleteObject(brush);
  brushes_.clear();
  if (big_icon_) DestroyIcon(big_icon_);
  if (small_icon_) DestroyIcon(small_icon_);
  big_icon_ = small_icon_ = nullptr;
}

void Win32Window::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  for (auto& widget : widgets_) {
    const ControlLayout& c = widget->layout;
    if (c.kind != ControlKind::Line) continue;
    const COLORREF colour = c.foreground == kNoColour
                                ? GetSysColor(COLOR_WINDOWTEXT)
                                : Resolve(c.foreground);
    HPEN pen = CreatePen(PS_SOLID, std::max(1, Px(15, dpi_)), colour);
    HGDIOBJ old = SelectObject(dc, pen);
    const int x1 = Px(c.left, dpi_), y1 = Px(c.top, dpi_);
    const int x2 = Px(c.width, dpi_), y2 = Px(c.height, dpi_);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SetPixel(dc, x2, y2, colour);  // LineTo leaves out the last point
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  EndPaint(hwnd_, &ps);
}

void Win32Window::OnCommand(WPARAM wparam, LPARAM lparam) {
  HWND control = reinterpret_cast<HWND>(lparam);
  if (!control) return;
  Win32Widget* widget = WidgetFor(control);
  if (!widget || widget->id != LOWORD(wparam)) return;
  const WORD code = HIWORD(wparam);
  const std::string_view name = widget->layout.name;
  switch (widget->layout.kind) {
    case ControlKind::Button:
      if (code == BN_CLICKED) sink_.OnEvent(name, Event::Click);
      break;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) {
        // A greyed box does not toggle by itself; a click unchecks it.
        if (widget->Value() == BST_INDETERMINATE) widget->SetValue(0);
        sink_.OnEvent(name, Event::Click);
      }
      break;
    case ControlKind::DriveList:
      if (code == CBN_SELCHANGE) sink_.OnEvent(name, Event::Change);
      break;
    case ControlKind::ListBox:
    case ControlKind::FileList:
      if (code == LBN_SELCHANGE) sink_.OnEvent(name, Event::Click);
      break;
    default:
      break;
  }
}

LRESULT Win32Window::OnControlColour(UINT message, WPARAM wparam,
                                     LPARAM lparam) {
  const LRESULT standard = DefWindowProcW(hwnd_, message, wparam, lparam);
  Win32Widget* widget = WidgetFor(reinterpret_cast<HWND>(lparam));
  if (!widget) return standard;
  HDC dc = reinterpret_cast<HDC>(wparam);
  const ControlLayout& c = widget->layout;
  if (c.foreground != kNoColour) SetTextColor(dc, Resolve(c.foreground));
  COLORREF background;
  if (c.background != kNoColour) {
    background = Resolve(c.background);
  } else if (c.kind == ControlKind::TextBox || c.kind == ControlKind::ListBox ||
             c.kind == ControlKind::FileList ||
             c.kind == ControlKind::DriveList) {
    // A read-only text box would be grey; it keeps the window colour.
    background = GetSysColor(COLOR_WINDOW);
  } else {
    return standard;
  }
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(Brush(background));
}

LRESULT CALLBACK Win32Window::WndProc(HWND hwnd, UINT message, WPARAM wparam,
                                      LPARAM lparam) {
  auto* self =
      reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->hwnd_ != hwnd)
    return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto handled = menus_.Handle(hwnd_, message, wparam, lparam))
    return *handled;
  switch (message) {
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      return 0;
    case WM_TIMER: {
      auto it = timers_.find(wparam);
      if (it != timers_.end()) sink_.OnEvent(it->second, Event::Timer);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return OnControlColour(message, wparam, lparam);
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(hwnd_, &rect);
      FillRect(reinterpret_cast<HDC>(wparam), &rect,
               Brush(Resolve(kWindowBackground)));
      return 1;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
      } else if (last_focus_ && IsWindow(last_focus_) &&
                 IsChild(hwnd_, last_focus_)) {
        SetFocus(last_focus_);
      } else {
        FocusFirst();
      }
      return 0;
    case WM_DEVICECHANGE: {
      // Only a volume counts, and only a header that is there and as large
      // as a volume's: anything else sent by anyone is passed over.
      const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
      if ((wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) &&
          header && header->dbch_size >= sizeof(DEV_BROADCAST_VOLUME) &&
          header->dbch_devicetype == DBT_DEVTYP_VOLUME)
        sink_.OnEvent("", wparam == DBT_DEVICEARRIVAL ? Event::DeviceArrival
                                                      : Event::DeviceRemoval);
      return TRUE;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      MakeFonts();
      Layout();
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE: {
      HWND hwnd = hwnd_;
      sink_.OnEvent("", Event::Unload);
      if (IsWindow(hwnd) && hwnd_ == hwnd) DestroyWindow(hwnd);
      return 0;
    }
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      auto& windows = TopLevelWindows();
      windows.erase(std::remove(windows.begin(), windows.end(), hwnd),
                    windows.end());
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      last_focus_ = nullptr;
      timers_.clear();
      for (auto& widget : widgets_) widget->hwnd = nullptr;
      FreeResources();
      factory_.WindowDestroyed();
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace velmora::win32
