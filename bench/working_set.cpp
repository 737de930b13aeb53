// Memory benchmark: the working set of the running velmora.exe while 2,000
// ticks of each timer are sent to its main window (WM_TIMER with the
// timer's id, Timer1 and Timer2 in turns, back to back, with both options
// on; nothing to remove), read from outside with GetProcessMemoryInfo. It
// should be flat after the first hundred ticks and under 8 MB. The empty
// window's working set is read the same way, as the part of the figure that
// any program has here (under Wine: Wine's own libraries in the process).
//
//   working_set.exe VELMORA.EXE EMPTY.EXE EMPTY-CAPTION [TICKS]
// clang-format off
#include "bench_common.h"  // <windows.h> before <psapi.h>
#include <psapi.h>
// clang-format on
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "velmora_process.h"

namespace {

constexpr int kWarmUp = 100;
constexpr double kMb = 1024.0 * 1024.0;

// The working set in bytes, or 0 when it cannot be read.
double WorkingSet(DWORD pid) {
  HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 0;
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  double bytes = 0;
  if (GetProcessMemoryInfo(process, &counters, sizeof counters))
    bytes = static_cast<double>(counters.WorkingSetSize);
  CloseHandle(process);
  return bytes;
}

double EmptyWindowWorkingSet(const char* exe, const char* caption) {
  PROCESS_INFORMATION process = {};
  if (!bench::Start(bench::Widen(exe), process)) return 0;
  HWND hwnd =
      bench::WaitShown(process.dwProcessId, bench::Widen(caption), 30000);
  const double bytes = hwnd ? WorkingSet(process.dwProcessId) : 0;
  bench::Stop(process, hwnd);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: working_set VELMORA EMPTY EMPTY-CAPTION [TICKS]\n");
    return 2;
  }
  const int ticks = argc > 4 ? std::max(kWarmUp + 1, std::atoi(argv[4])) : 2000;
  PROCESS_INFORMATION process = {};
  HWND main = bench::StartVelmora(argv[1], process, "working set");
  if (!main) return 1;
  // The window handles a timer's WM_TIMER only while the timer runs: both
  // options are on, and the window's own ticks come on top of the sent ones.
  for (const wchar_t* option :
       {L"Auto Refresh Drives", L"Auto Remove w/o Notification"}) {
    HWND box = bench::FindButton(main, option);
    if (!box || !bench::SetChecked(box, true)) {
      std::printf("working set: an option did not become checked\n");
      bench::Stop(process, main);
      return 1;
    }
  }
  const WPARAM timer1 = bench::TimerId("Timer1"),
               timer2 = bench::TimerId("Timer2");
  const double at_start = WorkingSet(process.dwProcessId);
  double warm = 0, highest = 0;
  bool answered = true;
  for (int tick = 1; tick <= ticks && answered; ++tick) {
    answered = bench::SendAndWait(main, WM_TIMER, timer1) &&
               bench::SendAndWait(main, WM_TIMER, timer2);
    const double now = WorkingSet(process.dwProcessId);
    if (tick == kWarmUp) warm = now;
    if (tick >= kWarmUp) highest = std::max(highest, now);
  }
  const double last = WorkingSet(process.dwProcessId);
  bench::Stop(process, main);
  if (!answered || last <= 0) {
    std::printf("working set: not measured (%s)\n",
                answered ? "GetProcessMemoryInfo gave nothing"
                         : "the window stopped answering");
    return 1;
  }
  std::printf(
      "working set of velmora.exe: %.2f MB at start, %.2f MB after %d ticks "
      "of each timer, highest %.2f MB after\n",
      at_start / kMb, warm / kMb, kWarmUp, highest / kMb);
  std::printf(
      "working set: %.2f MB after %d ticks of each timer, %+.0f KB since "
      "tick %d (target: flat after the first hundred ticks, under 8 MB)\n",
      last / kMb, ticks, (last - warm) / 1024.0, kWarmUp);
  if (const double empty = EmptyWindowWorkingSet(argv[2], argv[3]))
    std::printf(
        "working set of the empty window: %.2f MB (reference: what any "
        "program's window has here)\n",
        empty / kMb);
  return 0;
}
