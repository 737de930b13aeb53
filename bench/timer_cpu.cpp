// Timer cost benchmark: starts velmora.exe and lets its timers tick as they
// do for a user, in the running window: a stretch with both options off,
// one with "Auto Remove w/o Notification" checked (Timer1, every 900 ms,
// nothing to remove), one with both off again and one with "Auto Refresh
// Drives" checked (Timer2, every 500 ms). The ticks' cost is the CPU time of
// a stretch with a timer running less that of the stretches with none.
//
// Each stretch starts with a line "timer cpu phase: NAME" on stdout (NAME is
// "off", "floor", "timer", "refresh" or "end"), so that a script can sample the
// processes from outside: Wine's GetProcessTimes gives nothing for another
// process, and the Wine processes that do part of the work (wineserver,
// winedevice.exe) are Linux processes. tools/bench.sh reads /proc. Where
// GetProcessTimes answers (Windows), velmora.exe's own share is printed too.
//
//   timer_cpu.exe VELMORA.EXE [SECONDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench_common.h"
#include "floor_tick.h"
#include "velmora_process.h"

namespace {

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](FILETIME t) {
    return static_cast<double>(
               (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
               t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

void Phase(const char* name) {
  std::printf("timer cpu phase: %s\n", name);
  std::fflush(stdout);
}

// CPU time of the process over `seconds` of wall time, both in ms.
struct Stretch {
  double cpu = 0, wall = 0;
};

void Measure(HANDLE process, int seconds, const char* phase, Stretch& total) {
  Phase(phase);
  const double cpu = CpuMs(process), wall = bench::NowMs();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  total.cpu += CpuMs(process) - cpu;
  total.wall += bench::NowMs() - wall;
}

// The floor loop every 900 ms, as Timer1 would tick, for `seconds`.
void MeasureFloor(int seconds, Stretch& total) {
  Phase("floor");
  const double cpu = CpuMs(GetCurrentProcess()), wall = bench::NowMs();
  const double end = wall + seconds * 1000.0;
  for (double next = wall; bench::NowMs() < end;) {
    bench::FloorTick();
    next += 900;
    const double wait = std::min(next, end) - bench::NowMs();
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
  }
  total.cpu += CpuMs(GetCurrentProcess()) - cpu;
  total.wall += bench::NowMs() - wall;
}

double Percent(const Stretch& s) {
  return s.wall > 0 ? 100.0 * s.cpu / s.wall : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: timer_cpu VELMORA [SECONDS]\n");
    return 2;
  }
  const int seconds = argc > 2 ? std::max(2, std::atoi(argv[2])) : 20;
  PROCESS_INFORMATION process = {};
  HWND main = bench::StartVelmora(argv[1], process, "timer cpu");
  if (!main) return 1;
  HWND check1 = bench::FindButton(main, L"Auto Refresh Drives");
  HWND check2 = bench::FindButton(main, L"Auto Remove w/o Notification");
  if (!check1 || !check2) {
    std::printf("timer cpu: no Check1 or Check2\n");
    bench::Stop(process, main);
    return 1;
  }
  Sleep(2000);  // let the start-up settle
  Stretch off, floor, timer, refresh;
  Measure(process.hProcess, seconds / 2, "off", off);
  MeasureFloor(seconds, floor);
  bool switched = bench::SetChecked(check2, true);
  if (switched) Measure(process.hProcess, seconds, "timer", timer);
  switched = switched && bench::SetChecked(check2, false);
  if (switched) Measure(process.hProcess, seconds / 2, "off", off);
  switched = switched && bench::SetChecked(check1, true);
  if (switched) Measure(process.hProcess, seconds, "refresh", refresh);
  Phase("end");
  bench::Stop(process, main);
  if (!switched) {
    std::printf("timer cpu: an option did not switch; not measured\n");
    return 1;
  }
  if (off.cpu > 0 || timer.cpu > 0) {
    std::printf("velmora.exe's own timer ticks' share: %.2f%% of one core\n",
                Percent(timer) - Percent(off));
    std::printf("velmora.exe's own refresh ticks' share: %.2f%% of one core\n",
                Percent(refresh) - Percent(off));
    std::printf("the floor loop's own share: %.2f%% of one core\n",
                Percent(floor));
  }
  return 0;
}
