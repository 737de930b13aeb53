// Reading windows of any process for the end-to-end harness: texts, list
// rows, check states, places and message boxes, each through a sent message
// with a bounded wait.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "harness.h"

namespace e2e {
namespace {

constexpr UINT kSendMs = 5000;  // longest we wait on one sent message

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string RowText(HWND hwnd, UINT len_message, UINT text_message, int row) {
  LRESULT length = Send(hwnd, len_message, row, 0);
  if (length < 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got =
      Send(hwnd, text_message, row, reinterpret_cast<LPARAM>(buffer.data()));
  if (got < 0) return {};
  buffer.resize(static_cast<size_t>(std::min(got, length)));
  return Utf8(buffer);
}

// Every row of a list box or combo box, by its count, length and text
// messages.
std::vector<std::string> Rows(HWND hwnd, UINT count_message, UINT len_message,
                              UINT text_message) {
  std::vector<std::string> rows;
  if (!hwnd) return rows;
  LRESULT count = Send(hwnd, count_message, 0, 0);
  for (int i = 0; i < count; ++i)
    rows.push_back(RowText(hwnd, len_message, text_message, i));
  return rows;
}

}  // namespace

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(),
                                 static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), size);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                 static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string Env(const char* name) {
  std::wstring wide = Wide(name);
  DWORD size = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(wide.c_str(), value.data(), size));
  return Utf8(value);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeout_ms,
             DWORD step_ms) {
  ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(step_ms);
  }
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, bool* ok) {
  DWORD_PTR result = 0;
  bool sent = SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL,
                                  kSendMs, &result) != 0;
  if (ok) *ok = sent;
  return static_cast<LRESULT>(result);
}

namespace {

struct TopSearch {
  DWORD pid;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<TopSearch*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if ((search->pid == 0 || pid == search->pid) &&
      (!search->visible_only || IsWindowVisible(hwnd)))
    search->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopWindowsOf(DWORD pid, bool visible_only) {
  TopSearch search = {pid, visible_only, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return Utf8(name);
}

std::string TextOf(HWND hwnd) {
  bool ok = false;
  LRESULT length = Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (!ok || length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = Send(hwnd, WM_GETTEXT, buffer.size(),
                     reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
  return Utf8(buffer);
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

std::vector<HWND> ChildrenOf(HWND parent, const char* cls) {
  std::vector<HWND> matching;
  for (HWND child : Children(parent))
    if (SameText(ClassOf(child), cls)) matching.push_back(child);
  return matching;
}

HWND FindChild(HWND parent, const char* cls, const std::string& text) {
  for (HWND child : ChildrenOf(parent, cls))
    if (TextOf(child) == text) return child;
  return nullptr;
}

std::string Describe(HWND parent) {
  std::ostringstream out;
  for (HWND child : Children(parent)) {
    RECT r = RectIn(child, parent);
    out << "  " << ClassOf(child) << " '" << TextOf(child) << "' (" << r.left
        << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top
        << ")" << (IsWindowVisible(child) ? "" : " hidden") << "\n";
  }
  return out.str();
}

RECT RectIn(HWND child, HWND parent) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND FocusIn(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

UINT DpiOf(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto get_dpi =
      reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi) {
    if (UINT dpi = get_dpi(hwnd)) return dpi;
  }
  HDC screen = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  return dpi;
}

int TwipsToPixels(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), 1440);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window, &point);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

std::vector<std::string> ListRows(HWND listbox) {
  return Rows(listbox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ListSelected(HWND listbox) {
  return static_cast<int>(Send(listbox, LB_GETCURSEL, 0, 0));
}

std::vector<std::string> ComboRows(HWND combo) {
  return Rows(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelected(HWND combo) {
  return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0));
}

int CheckState(HWND button) {
  return static_cast<int>(Send(button, BM_GETCHECK, 0, 0));
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

Box ReadBox(HWND hwnd) {
  Box box;
  box.hwnd = hwnd;
  box.title = TextOf(hwnd);
  // Windows gives the text the id 0xFFFF; otherwise take the one static
  // that is not the icon.
  if (HWND text = GetDlgItem(hwnd, 0xFFFF)) {
    box.text = TextOf(text);
  } else {
    for (HWND child : ChildrenOf(hwnd, "Static")) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
      box.text = TextOf(child);
      if (!box.text.empty()) break;
    }
  }
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    HWND button = GetDlgItem(hwnd, id);
    if (button && IsWindowVisible(button)) box.buttons.push_back(id);
  }
  return box;
}

std::string Describe(const Box& box) {
  std::ostringstream out;
  out << "box '" << box.title << "': '" << box.text << "' buttons";
  for (int id : box.buttons) out << " " << id;
  return out.str();
}

}  // namespace e2e
