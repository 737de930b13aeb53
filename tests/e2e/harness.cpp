#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace e2e {
namespace {

constexpr UINT kSendMs = 5000;  // longest we wait on one sent message
constexpr DWORD kSettleMs = 400;

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
             bool* ok = nullptr) {
  DWORD_PTR result = 0;
  bool sent = SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL,
                                  kSendMs, &result) != 0;
  if (ok) *ok = sent;
  return static_cast<LRESULT>(result);
}

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

struct TopSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<TopSearch*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && IsWindowVisible(hwnd))
    search->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectAllTop(HWND hwnd, LPARAM lparam) {
  reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(hwnd);
  return TRUE;
}

// Ends every velmora.exe left over from an earlier test, found by its main
// window's caption.
void KillLeftovers() {
  std::vector<HWND> all;
  EnumWindows(CollectAllTop, reinterpret_cast<LPARAM>(&all));
  for (HWND hwnd : all) {
    if (TextOf(hwnd) != kMainCaption) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (HANDLE process =
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, kWaitMs);
      CloseHandle(process);
    }
  }
}

std::string ErrorText(DWORD code) { return "error " + std::to_string(code); }

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

std::vector<std::string> ListRows(HWND listbox) {
  std::vector<std::string> rows;
  if (!listbox) return rows;
  LRESULT count = Send(listbox, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i)
    rows.push_back(RowText(listbox, LB_GETTEXTLEN, LB_GETTEXT, i));
  return rows;
}

int ListSelected(HWND listbox) {
  return static_cast<int>(Send(listbox, LB_GETCURSEL, 0, 0));
}

std::vector<std::string> ComboRows(HWND combo) {
  std::vector<std::string> rows;
  if (!combo) return rows;
  LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i)
    rows.push_back(RowText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
  return rows;
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

std::vector<char> TestDrives() {
  std::string letters = Env("VELMORA_DRIVES");
  if (letters.empty()) letters = "DEF";
  std::vector<char> drives;
  for (char c : letters)
    drives.push_back(
        static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return drives;
}

namespace {

void RemoveTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

}  // namespace

void ClearDrive(char letter) {
  std::wstring root = {static_cast<wchar_t>(letter), L':'};
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((root + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  for (const auto& name : names) RemoveTree(root + L"\\" + name);
}

void PutFile(const std::string& path, const std::string& bytes,
             DWORD attributes) {
  std::wstring wide = Wide(path);
  for (size_t slash = wide.find(L'\\', 3); slash != std::wstring::npos;
       slash = wide.find(L'\\', slash + 1))
    CreateDirectoryW(wide.substr(0, slash).c_str(), nullptr);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE)
      << "cannot create " << path << ": " << ErrorText(GetLastError());
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size()) << path;
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes))
      << path << ": " << ErrorText(GetLastError());
}

bool Exists(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str());
}

DWORD DosBits(const std::string& path) {
  DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
  return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

App::App(const std::string& directory) {
  KillLeftovers();
  std::string exe = Env("VELMORA_EXE");
  if (exe.empty()) {
    ADD_FAILURE() << "VELMORA_EXE is not set (tools/e2e.sh sets it)";
    return;
  }
  std::wstring command = L"\"" + Wide(exe) + L"\"";
  std::wstring folder = Wide(directory);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.c_str(), &startup, &process_)) {
    ADD_FAILURE() << "cannot start " << exe << ": "
                  << ErrorText(GetLastError());
    return;
  }
  pid_ = process_.dwProcessId;
  HWND found = nullptr;
  bool shown = WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (TextOf(top) == kMainCaption) found = top;
        return found != nullptr || !Running();
      },
      kStartMs);
  if (!shown || !found) {
    ADD_FAILURE() << "no main window '" << kMainCaption << "' within "
                  << kStartMs << " ms; " << DescribeWindows();
    return;
  }
  main_ = found;
  // Let the start-up finish painting and filling the lists.
  Send(main_, WM_NULL, 0, 0);
}

App::~App() {
  if (process_.hProcess) {
    if (Running()) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, kWaitMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
}

HWND App::Control(const char* cls, const std::string& caption) const {
  if (!main_) return nullptr;
  HWND found = FindChild(main_, cls, caption);
  if (!found)
    ADD_FAILURE() << "no " << cls << " '" << caption
                  << "' in the main window; it holds:\n"
                  << Describe(main_);
  return found;
}

namespace {

std::vector<HWND> ByLeft(HWND parent, const char* cls) {
  std::vector<HWND> found = ChildrenOf(parent, cls);
  std::sort(found.begin(), found.end(), [&](HWND a, HWND b) {
    return RectIn(a, parent).left < RectIn(b, parent).left;
  });
  return found;
}

}  // namespace

HWND App::FileList() const {
  std::vector<HWND> lists = ByLeft(main_, "ListBox");
  if (lists.size() != 2) {
    ADD_FAILURE() << "expected two list boxes, found " << lists.size() << ":\n"
                  << Describe(main_);
    return lists.empty() ? nullptr : lists.front();
  }
  return lists[0];
}

HWND App::Log() const {
  std::vector<HWND> lists = ByLeft(main_, "ListBox");
  if (lists.size() != 2) {
    ADD_FAILURE() << "expected two list boxes, found " << lists.size() << ":\n"
                  << Describe(main_);
    return lists.empty() ? nullptr : lists.back();
  }
  return lists[1];
}

HWND App::DriveCombo() const {
  std::vector<HWND> combos = ChildrenOf(main_, "ComboBox");
  if (combos.size() != 1) {
    ADD_FAILURE() << "expected one combo box, found " << combos.size() << ":\n"
                  << Describe(main_);
    return combos.empty() ? nullptr : combos.front();
  }
  return combos[0];
}

std::vector<std::string> App::WaitLog(size_t count, DWORD timeout_ms) {
  std::vector<std::string> lines;
  WaitFor(
      [&] {
        lines = LogLines();
        return lines.size() >= count;
      },
      timeout_ms);
  // Give a handler still writing the chance to add lines we did not expect.
  for (;;) {
    Sleep(kSettleMs);
    std::vector<std::string> again = LogLines();
    if (again == lines) break;
    lines = again;
  }
  return lines;
}

void App::Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool App::PickDrive(char letter) {
  HWND combo = DriveCombo();
  if (!combo) return false;
  std::vector<std::string> rows = ComboRows(combo);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].size() >= 2 &&
        std::toupper(static_cast<unsigned char>(rows[i][0])) == letter &&
        rows[i][1] == ':') {
      Send(combo, CB_SETCURSEL, i, 0);
      PostMessageW(GetParent(combo), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
      return true;
    }
  }
  ADD_FAILURE() << "no row for drive " << letter << " in Drive1";
  return false;
}

bool App::ClickRow(HWND listbox, int row) {
  if (Send(listbox, LB_SETCURSEL, row, 0) == LB_ERR) return false;
  PostMessageW(GetParent(listbox), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(listbox), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(listbox));
  return true;
}

void App::PressTab(HWND target) {
  PostMessageW(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
  PostMessageW(target, WM_KEYUP, VK_TAB, 0xC00F0001);
}

void App::ClickInside(HWND control) {
  const LPARAM corner = MAKELPARAM(4, 4);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, corner);
  PostMessageW(control, WM_LBUTTONUP, 0, corner);
}

std::vector<HWND> App::TopWindows() const {
  TopSearch search = {pid_, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND App::WaitTopWindow(const std::string& caption, DWORD timeout_ms) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (TextOf(top) == caption) found = top;
        return found != nullptr;
      },
      timeout_ms);
  if (!found)
    ADD_FAILURE() << "no window '" << caption << "' within " << timeout_ms
                  << " ms; " << DescribeWindows();
  return found;
}

std::optional<Box> App::WaitBox(DWORD timeout_ms, HWND not_this) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (top != not_this && ClassOf(top) == "#32770") found = top;
        return found != nullptr;
      },
      timeout_ms);
  if (!found) {
    ADD_FAILURE() << "no message box within " << timeout_ms << " ms; "
                  << DescribeWindows();
    return std::nullopt;
  }
  // The box fills in its controls while it is created.
  Send(found, WM_NULL, 0, 0);
  return ReadBox(found);
}

bool App::NoBoxFor(DWORD ms) const {
  return !WaitFor(
      [&] {
        for (HWND top : TopWindows())
          if (ClassOf(top) == "#32770") return true;
        return false;
      },
      ms);
}

bool App::Answer(const Box& box, int id) {
  HWND button = GetDlgItem(box.hwnd, id);
  if (!button) {
    ADD_FAILURE() << "no button " << id << " in " << Describe(box);
    return false;
  }
  Click(button);
  bool gone = WaitFor(
      [&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
  if (!gone)
    ADD_FAILURE() << "still open after button " << id << ": " << Describe(box);
  return gone;
}

bool App::Running() const {
  return process_.hProcess &&
         WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::WaitExit(DWORD timeout_ms) const {
  return process_.hProcess &&
         WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

std::string App::DescribeWindows() const {
  std::ostringstream out;
  if (!Running()) {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    out << "the process has exited with code " << code << "; ";
  }
  out << "its visible top-level windows:";
  for (HWND top : TopWindows())
    out << " [" << ClassOf(top) << " '" << TextOf(top) << "']";
  return out.str();
}

}  // namespace e2e
