// Guard mode benchmark: velmora.exe /guard against velmora.exe started as
// a window, in one run:
// - start-up: from CreateProcess to the notification icon added (Wine shows
//   it as a __winex11_tray_icon window) against to the main window shown,
//   in turns, as medians and their ratio (target <= 1.1x);
// - threads: the process's thread count once started, both ways (the icon
//   adds none);
// - ticks: Timer1's tick sent to the hidden window of guard mode against
//   the same tick sent to the shown window with Check2 checked (target:
//   1.0x, the same work);
// - working set: read from outside after 100 and after 2,000 ticks sent in
//   guard mode, with the icon up (target: flat).
//
//   guard_mode.exe VELMORA.EXE [RUNS] [TICKS]
// clang-format off
#include "bench_common.h"  // <windows.h> before <psapi.h>, <tlhelp32.h>
#include <psapi.h>
#include <tlhelp32.h>
// clang-format on
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "velmora_process.h"

namespace {

constexpr double kTimeoutMs = 30000;
constexpr double kMb = 1024.0 * 1024.0;

BOOL CALLBACK CountIcons(HWND top, LPARAM count) {
  wchar_t cls[64] = {};
  GetClassNameW(top, cls, 64);
  if (std::wstring(cls) != L"__winex11_standalone_tray") return TRUE;
  for (HWND child =
           FindWindowExW(top, nullptr, L"__winex11_tray_icon", nullptr);
       child;
       child = FindWindowExW(top, child, L"__winex11_tray_icon", nullptr))
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int TrayIcons() {
  int count = 0;
  EnumWindows(CountIcons, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The top-level window of `pid` with the main window's caption, shown or not.
HWND MainWindowOf(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search = {pid, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t text[64] = {};
        GetWindowTextW(hwnd, text, 64);
        if (owner != s->pid || bench::kMainCaption != text) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Threads(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more;
       more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == pid) ++count;
  CloseHandle(snapshot);
  return count;
}

double WorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.WorkingSetSize);
}

bool StartWith(const std::wstring& command, PROCESS_INFORMATION& process) {
  std::wstring line = command;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process) != 0;
}

// Ends a guarding velmora.exe as the end of the session does (a close only
// hides its window), so that its icon goes with it.
void StopGuarding(PROCESS_INFORMATION& process, HWND main) {
  if (main) PostMessageW(main, WM_ENDSESSION, TRUE, 0);
  bench::Stop(process, nullptr);
}

// One guarded start: the time to the icon, or a negative value.
double TimeGuardStart(const std::wstring& exe, int* threads) {
  const int before = TrayIcons();
  PROCESS_INFORMATION process = {};
  const double start = bench::NowMs();
  if (!StartWith(L"\"" + exe + L"\" /guard", process)) return -1;
  double elapsed = -1;
  while (bench::NowMs() - start < kTimeoutMs) {
    if (TrayIcons() > before) {
      elapsed = bench::NowMs() - start;
      break;
    }
    Sleep(1);
  }
  HWND main = MainWindowOf(process.dwProcessId);
  if (threads) *threads = Threads(process.dwProcessId);
  StopGuarding(process, main);
  return elapsed;
}

double TimeWindowStart(const std::wstring& exe, int* threads) {
  PROCESS_INFORMATION process = {};
  const double start = bench::NowMs();
  if (!bench::Start(exe, process)) return -1;
  HWND hwnd = bench::WaitShown(process.dwProcessId, bench::kMainCaption,
                               static_cast<DWORD>(kTimeoutMs));
  const double elapsed = bench::NowMs() - start;
  if (threads) *threads = Threads(process.dwProcessId);
  bench::Stop(process, hwnd);
  return hwnd ? elapsed : -1;
}

// The median time of `ticks` Timer1 ticks sent to `main`.
double TickMs(HWND main, int ticks) {
  const WPARAM timer1 = bench::TimerId("Timer1");
  std::vector<double> ms;
  for (int i = 0; i < ticks; ++i) {
    const double start = bench::NowMs();
    if (!bench::SendAndWait(main, WM_TIMER, timer1)) return -1;
    ms.push_back(bench::NowMs() - start);
  }
  return bench::Median(ms);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: guard_mode VELMORA.EXE [RUNS] [TICKS]\n");
    return 2;
  }
  const std::wstring exe = bench::Widen(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  const int ticks = argc > 3 ? std::max(200, std::atoi(argv[3])) : 2000;

  // Start-up, in turns, after one start of each to warm Wine's caches.
  int guard_threads = 0, window_threads = 0;
  TimeGuardStart(exe, nullptr);
  TimeWindowStart(exe, nullptr);
  std::vector<double> guard, window;
  for (int i = 0; i < runs; ++i) {
    const double g = TimeGuardStart(exe, &guard_threads);
    const double w = TimeWindowStart(exe, &window_threads);
    if (g < 0 || w < 0) {
      std::printf("guard start-up ratio: not measured (%s did not show)\n",
                  g < 0 ? "the icon" : "the window");
      return 1;
    }
    guard.push_back(g);
    window.push_back(w);
  }
  std::printf(
      "guard start-up: %.1f ms to the icon, window start-up: %.1f ms to the "
      "window (medians of %d)\n",
      bench::Median(guard), bench::Median(window), runs);
  std::printf("guard start-up ratio: %.2fx (target <= 1.1x)\n",
              bench::Median(guard) / bench::Median(window));
  std::printf("threads: %d guarding with the icon, %d as a window\n",
              guard_threads, window_threads);

  // Ticks, and the working set, in guard mode; then ticks in the window.
  PROCESS_INFORMATION process = {};
  if (!StartWith(L"\"" + exe + L"\" /guard", process)) return 1;
  HWND hidden = nullptr;
  for (double start = bench::NowMs();
       !hidden && bench::NowMs() - start < kTimeoutMs; Sleep(10))
    if (TrayIcons() > 0) hidden = MainWindowOf(process.dwProcessId);
  if (!hidden) {
    std::printf("guard tick ratio: not measured (no icon)\n");
    StopGuarding(process, nullptr);
    return 1;
  }
  TickMs(hidden, 100);
  const double early = WorkingSet(process.hProcess);
  const double guard_tick = TickMs(hidden, ticks - 100);
  const double late = WorkingSet(process.hProcess);
  StopGuarding(process, hidden);

  bench::Velmora app(argv[1], "guard tick ratio");
  if (!app.ready() || !app.CheckCheck2()) return 1;
  TickMs(app.main(), 100);
  const double window_tick = TickMs(app.main(), ticks - 100);
  app.Stop();

  std::printf(
      "guard tick ratio: %.2fx (%.3f ms guarding against %.3f ms in the "
      "window, medians of %d; target 1.0x)\n",
      guard_tick / window_tick, guard_tick, window_tick, ticks - 100);
  std::printf(
      "guard working set: %.2f MB after 100 ticks, %.2f MB after %d "
      "(target: flat)\n",
      early / kMb, late / kMb, ticks);
  return 0;
}
