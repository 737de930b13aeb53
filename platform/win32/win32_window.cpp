// Windows built from their layouts: one top-level window per layout with
// standard controls created in the window's order, and twips mapped to pixels
// at the window's DPI.
#include <algorithm>
#include <stdexcept>

#include "platform/widget_kinds.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_single_instance.h"
#include "platform/window_order.h"

namespace velmora::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VelmoraWindow";
constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// STARTF_USEMONITOR, which not every SDK's headers define.
constexpr DWORD kStartOnMonitor = 0x400;

using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

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

// The monitor the window opens on: the one the starting program asked for
// (the shell names the monitor it was started from), else the primary.
HMONITOR StartMonitor() {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (startup.dwFlags & kStartOnMonitor) {
    auto* asked = reinterpret_cast<HMONITOR>(startup.hStdOutput);
    if (GetMonitorInfoW(asked, &info)) return asked;
  }
  return MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

// The top-left corner that centres `size` on the monitor's work area.
POINT CentredOn(HMONITOR monitor, SIZE size) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  const RECT& work = info.rcWork;
  return {work.left + std::max(0L, (work.right - work.left - size.cx) / 2),
          work.top + std::max(0L, (work.bottom - work.top - size.cy) / 2)};
}

}  // namespace

Win32Window::Win32Window(Win32WindowFactory& factory, const FormLayout& layout,
                         WindowEvents events)
    : factory_(factory),
      layout_(layout),
      events_(std::move(events)),
      menus_([this](HWND clicked) -> HWND {
        Win32Widget* widget = WidgetFor(clicked);
        return widget && widget->IsCombo() ? widget->hwnd : nullptr;
      }) {
  int id = kFirstControlId;
  for (const ControlLayout& control : layout_.controls)
    widgets_.push_back(std::make_unique<Win32Widget>(*this, control, id++));
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
  RequireHandlers(layout_,
                  [this](std::size_t i) { return bool(widgets_[i]->handler); });
  if (!hwnd_) CreateNative();
  if (!hwnd_) return;
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (!GetFocus() || !IsChild(hwnd_, GetFocus())) FocusFirst();
  UpdateWindow(hwnd_);
}

void Win32Window::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Win32Window::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Win32Window::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

// The window is made at its final size and place, and its controls at
// theirs in their fonts, before it is first shown: nothing is moved or
// drawn twice on the way to the first paint.
void Win32Window::CreateNative() {
  RegisterWindowClass();
  const std::wstring caption = Widen(layout_.caption);
  HMONITOR monitor = StartMonitor();
  const UINT planned_dpi = MonitorDpi(monitor);
  const SIZE size = FrameSize(planned_dpi);
  const POINT at = CentredOn(monitor, size);
  HWND hwnd = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle,
                              at.x, at.y, size.cx, size.cy, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return;
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(&Win32Window::WndProc));
  // The show request of a later start comes from a program of the user's
  // own, which the system keeps from posting to an elevated copy unless
  // the window lets this message through.
  if (events_.onShowRequest && ShowRequestMessage())
    ChangeWindowMessageFilterEx(hwnd_, ShowRequestMessage(), MSGFLT_ALLOW,
                                nullptr);
  TopLevelWindows().push_back(hwnd_);
  ++factory_.live_;
  dpi_ = DpiOf(hwnd_);
  high_contrast_ = factory_.HighContrast();
  MakeFonts();
  CreateControls();
  if (dpi_ != planned_dpi) {
    // The system gave the window another DPI than its monitor's.
    Layout();
    RECT window;
    GetWindowRect(hwnd_, &window);
    const POINT centred =
        CentredOn(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY),
                  {window.right - window.left, window.bottom - window.top});
    SetWindowPos(hwnd_, nullptr, centred.x, centred.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LoadIcons();
}

// Each from the size the icon resource holds nearest to it, and the old
// icon freed once the window shows the new one.
void Win32Window::LoadIcons() {
  const auto load = [&](HICON& kept, WPARAM which, int size_at_96) {
    const int size = MulDiv(size_at_96, static_cast<int>(dpi_), 96);
    auto* icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(layout_.icon_id),
                   IMAGE_ICON, size, size, 0));
    if (!icon) return;
    SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    if (kept) DestroyIcon(kept);
    kept = icon;
  };
  load(big_icon_, ICON_BIG, 32);
  load(small_icon_, ICON_SMALL, 16);
}

// Controls are created in the window's order (tab order, each label right
// before the control it names), so that the Z order, Tab and screen readers
// follow it; a control whose label that order raises above it keeps out of
// the label's way (UnderRaisedLabel).
void Win32Window::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i : WindowOrder(layout_)) {
    Win32Widget* widget = widgets_[i].get();
    const ControlLayout& c = widget->layout;
    if (!HasNativeWindow(c.kind)) continue;
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (IsFocusable(c.kind)) style |= WS_TABSTOP;
    if (UnderRaisedLabel(layout_, i)) style |= WS_CLIPSIBLINGS;
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
    const std::wstring caption =
        c.kind == ControlKind::TextBox ? L"" : Widen(c.caption);
    const RECT place =
        PlaceOf(*widget, caption, (style & SS_NOPREFIX) == SS_NOPREFIX);
    widget->hwnd = CreateWindowExW(
        ex_style, cls, caption.c_str(), style, place.left, place.top,
        place.right - place.left, place.bottom - place.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(widget->id)), instance,
        nullptr);
    if (!widget->hwnd) continue;
    SendMessageW(widget->hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(*widget)), FALSE);
    if (widget->IsCombo()) FitCombo(*widget, place);
    if (c.kind == ControlKind::TextBox) widget->SetText(std::string(c.caption));
  }
}

SIZE Win32Window::FrameSize(UINT dpi) const {
  static const auto adjust =
      SystemFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT rect = {0, 0, Px(layout_.inner_width, dpi),
               Px(layout_.inner_height, dpi)};
  if (adjust)
    adjust(&rect, kStyle, FALSE, kExStyle, dpi);
  else
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Window::FocusFirst() {
  HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (first) SetFocus(first);
}

// A multi-line text box takes Tab as its own key and asks its parent for the
// next control with WM_NEXTDLGCTL, as it would ask a dialog: with `lparam`
// set, `wparam` is that control; else a non-zero `wparam` means the one
// before. Focus moves as Tab moves it between the other controls, and a
// text box entered has its text selected.
void Win32Window::OnNextDialogControl(WPARAM wparam, LPARAM lparam) {
  HWND next = reinterpret_cast<HWND>(wparam);
  if (!LOWORD(lparam)) {
    HWND focus = GetFocus();
    if (!IsChild(hwnd_, focus)) focus = nullptr;
    next = GetNextDlgTabItem(hwnd_, focus, wparam != 0);
  }
  if (!next || !IsChild(hwnd_, next)) return;
  if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    SendMessageW(next, EM_SETSEL, 0, -1);
  SetFocus(next);
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

}  // namespace velmora::win32
