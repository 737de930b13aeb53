// Small helpers shared by the benchmark programs: a clock, medians,
// finding a process's window by its caption, and velmora.exe started with
// its automatic removal option at hand.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  if (values.size() % 2) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

inline std::wstring Widen(const char* text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
  return wide;
}

struct WindowSearch {
  DWORD pid;
  const std::wstring* caption;
  HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<WindowSearch*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (*search->caption != text) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The visible top-level window of process `pid` with this caption, or null.
inline HWND FindProcessWindow(DWORD pid, const std::wstring& caption) {
  WindowSearch search = {pid, &caption, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits up to `timeout_ms` for the window to be shown and its message loop
// to answer; null on timeout.
inline HWND WaitShown(DWORD pid, const std::wstring& caption,
                      DWORD timeout_ms) {
  double deadline = NowMs() + timeout_ms;
  while (NowMs() < deadline) {
    if (HWND hwnd = FindProcessWindow(pid, caption)) {
      DWORD_PTR result;
      if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms,
                              &result))
        return hwnd;
    }
    Sleep(1);
  }
  return nullptr;
}

inline bool Start(const std::wstring& exe, PROCESS_INFORMATION& process) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process) != 0;
}

// Asks the window to close, then makes sure the process is gone.
inline void Stop(PROCESS_INFORMATION& process, HWND hwnd) {
  if (hwnd) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// The child of `parent` whose caption is `caption`, or nullptr.
inline HWND FindButton(HWND parent, const wchar_t* caption) {
  for (HWND child = GetWindow(parent, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (std::wstring(text) == caption) return child;
  }
  return nullptr;
}

// Clicks a check box of another process and waits until it shows checked,
// which it does once the click and its handler are done; false when it
// does not within a few seconds.
inline bool ClickToCheck(HWND box) {
  PostMessageW(box, BM_CLICK, 0, 0);
  const double deadline = NowMs() + 5000;
  for (;;) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    if (state == BST_CHECKED) return true;
    if (NowMs() >= deadline) return false;
    Sleep(1);
  }
}

// velmora.exe started for a benchmark, with its main window and Check2
// ("Auto Remove w/o Notification"); stopped at the latest when it goes out
// of scope. Failures are printed after `name`.
class Velmora {
 public:
  Velmora(const char* exe, const char* name) : name_(name) {
    if (!Start(Widen(exe), process_)) {
      std::printf("%s: cannot start %s\n", name, exe);
      return;
    }
    started_ = true;
    main_ = WaitShown(process_.dwProcessId, L"Kestrin - Velmora 2.0", 30000);
    check2_ =
        main_ ? FindButton(main_, L"Auto Remove w/o Notification") : nullptr;
    if (!check2_) std::printf("%s: no main window or no Check2\n", name);
  }
  ~Velmora() { Stop(); }
  Velmora(const Velmora&) = delete;
  Velmora& operator=(const Velmora&) = delete;

  bool ready() const { return check2_ != nullptr; }
  HWND main() const { return main_; }
  HANDLE process() const { return process_.hProcess; }

  // Checks Check2, so that Timer1 runs.
  bool CheckCheck2() {
    if (ClickToCheck(check2_)) return true;
    std::printf("%s: Check2 did not become checked\n", name_);
    return false;
  }

  void Stop() {
    if (started_) bench::Stop(process_, main_);
    started_ = false;
  }

 private:
  const char* name_;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
  HWND main_ = nullptr;
  HWND check2_ = nullptr;
};

}  // namespace bench
