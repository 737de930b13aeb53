// The members of one native control: captions, rows, selection and check
// state, all through the control's own messages.
#include <string>

#include "platform/widget_kinds.h"
#include "platform/win32/win32_internal.h"

namespace velmora::win32 {
namespace {

// Text boxes show Windows line breaks; the program writes "\n".
std::wstring ToCrLf(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

std::wstring FromCrLf(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
      continue;
    out += text[i];
  }
  return out;
}

}  // namespace

void Win32Widget::SetText(const std::string& text) {
  RequirePart(layout, WidgetPart::Text, "SetText");
  if (!hwnd) return;
  std::wstring wide = Widen(text);
  if (layout.kind == ControlKind::TextBox) wide = ToCrLf(wide);
  SetWindowTextW(hwnd, wide.c_str());
  if (layout.autosize) Autosize();
}

std::string Win32Widget::Text() const {
  RequirePart(layout, WidgetPart::Text, "Text");
  if (!hwnd) return "";
  std::wstring wide = WindowText(hwnd);
  if (layout.kind == ControlKind::TextBox) wide = FromCrLf(wide);
  return Narrow(wide);
}

// Unchanged rows stay in the control (only the selection is dropped), so a
// drive list refreshed twice a second neither flickers nor closes its
// dropped list.
void Win32Widget::SetRows(const std::vector<std::string>& rows) {
  RequirePart(layout, WidgetPart::Rows, "SetRows");
  if (!hwnd) return;
  if (Rows() == rows) {
    Select(-1);
    return;
  }
  SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd, IsCombo() ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  for (const auto& row : rows) AddRow(row);
  SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void Win32Widget::AddRow(const std::string& row) {
  RequirePart(layout, WidgetPart::Rows, "AddRow");
  if (!hwnd) return;
  const std::wstring wide = Widen(row);
  SendMessageW(hwnd, IsCombo() ? CB_ADDSTRING : LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

std::vector<std::string> Win32Widget::Rows() const {
  RequirePart(layout, WidgetPart::Rows, "Rows");
  std::vector<std::string> rows;
  if (!hwnd) return rows;
  const bool combo = IsCombo();
  const LRESULT count =
      SendMessageW(hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length =
        SendMessageW(hwnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                     static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd, combo ? CB_GETLBTEXT : LB_GETTEXT,
                                     static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    rows.push_back(Narrow(text));
  }
  return rows;
}

int Win32Widget::Selected() const {
  RequirePart(layout, WidgetPart::Rows, "Selected");
  if (!hwnd) return -1;
  const LRESULT row =
      SendMessageW(hwnd, IsCombo() ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  return row < 0 ? -1 : static_cast<int>(row);
}

// Selection messages send no notification, so no Change or Click fires.
void Win32Widget::Select(int row) {
  RequirePart(layout, WidgetPart::Rows, "Select");
  if (!hwnd) return;
  const bool combo = IsCombo();
  const LRESULT count =
      SendMessageW(hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  if (row < 0 || row >= count) row = -1;
  SendMessageW(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL,
               static_cast<WPARAM>(row), 0);
}

int Win32Widget::Value() const {
  RequirePart(layout, WidgetPart::Value, "Value");
  if (!hwnd) return 0;
  return static_cast<int>(SendMessageW(hwnd, BM_GETCHECK, 0, 0));
}

void Win32Widget::SetValue(int value) {
  RequirePart(layout, WidgetPart::Value, "SetValue");
  if (!hwnd) return;
  if (value < BST_UNCHECKED || value > BST_INDETERMINATE) return;
  SetCheckStyle(value);
  SendMessageW(hwnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

// Only a three-state box holds "greyed"; it is one just while greyed. A
// disabled box is a plain (not automatic) one, so that a BM_CLICK sent by
// another program cannot toggle it either.
void Win32Widget::SetCheckStyle(int value) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  const LONG type = value == BST_INDETERMINATE ? BS_3STATE
                    : IsWindowEnabled(hwnd)    ? BS_AUTOCHECKBOX
                                               : BS_CHECKBOX;
  if ((style & BS_TYPEMASK) != type)
    SendMessageW(hwnd, BM_SETSTYLE,
                 static_cast<WPARAM>((style & 0xFFFF & ~BS_TYPEMASK) | type),
                 TRUE);
}

void Win32Widget::SetRunning(bool running) {
  RequirePart(layout, WidgetPart::Running, "SetRunning");
  owner.RunTimer(*this, running);
}

// A disabled control draws greyed and Windows sends it no mouse or
// keyboard input; what another program sends it raises nothing either
// (Win32Window::OnCommand).
void Win32Widget::SetEnabled(bool enabled) {
  RequirePart(layout, WidgetPart::Enabled, "SetEnabled");
  if (!hwnd) return;
  EnableWindow(hwnd, enabled ? TRUE : FALSE);
  if (layout.kind == ControlKind::CheckBox) SetCheckStyle(Value());
}

bool Win32Widget::Enabled() const {
  RequirePart(layout, WidgetPart::Enabled, "Enabled");
  return !hwnd || IsWindowEnabled(hwnd);
}

void Win32Widget::SetHandler(Handler on_event) {
  RequirePart(layout, WidgetPart::Handler, "SetHandler");
  handler = std::move(on_event);
}

void Win32Widget::Autosize() {
  if (!hwnd) return;
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  const SIZE size =
      LabelTextSize(font, WindowText(hwnd),
                    (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOPREFIX) != 0);
  SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Measured on the screen's DC: only the font and the mapping mode count,
// so a label can be measured before it exists.
SIZE LabelTextSize(HFONT font, const std::wstring& text, bool no_prefix) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  UINT format = DT_CALCRECT | DT_LEFT | DT_EXPANDTABS;
  if (no_prefix) format |= DT_NOPREFIX;
  RECT rect = {0, 0, 0, 0};
  if (text.empty()) {
    DrawTextW(dc, L" ", 1, &rect, format);
    rect.right = 0;
  } else {
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  }
  if (old) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {rect.right, rect.bottom};
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

}  // namespace velmora::win32
