// Timer cost benchmark: starts velmora.exe, checks "Auto Remove w/o
// Notification" so that Timer1 ticks every 900 ms with nothing to remove,
// and reports the process's CPU time over a stretch of wall time as a share
// of one core. Half the stretch with the option off comes first, so
// that the idle cost can be told apart from the ticks' cost.
//
// Each phase starts with a line "timer cpu phase: NAME" on stdout, so that
// a script can sample the process from outside too: Wine's GetProcessTimes
// gives nothing for another process, and tools/bench.sh then measures
// /proc instead. The phases are "off", "on" and "end".
//
//   timer_cpu.exe VELMORA.EXE [SECONDS]
#include <cstdio>
#include <cstdlib>

#include "bench_common.h"

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

// CPU share of one core over `seconds`, in percent.
double Share(HANDLE process, int seconds, const char* phase) {
  Phase(phase);
  double cpu = CpuMs(process), wall = bench::NowMs();
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return 100.0 * (CpuMs(process) - cpu) / (bench::NowMs() - wall);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: timer_cpu VELMORA [SECONDS]\n");
    return 2;
  }
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
  bench::Velmora app(argv[1], "timer cpu");
  if (!app.ready()) return 1;
  HWND main = app.main();
  // The pointer rests off the window: under Wine a pointer over a themed
  // button keeps a 10 ms hover-tracking timer running, which would be
  // counted as the program's idle cost.
  RECT frame = {};
  GetWindowRect(main, &frame);
  SetCursorPos(frame.right + 20, frame.bottom + 20);
  Sleep(2000);  // let the start-up settle
  const double off =
      Share(app.process(), seconds / 2 > 0 ? seconds / 2 : 1, "off");
  if (!app.CheckCheck2()) return 1;
  const double on = Share(app.process(), seconds, "on");
  Phase("end");
  app.Stop();
  if (on <= 0 && off <= 0) {
    std::printf("timer cpu: GetProcessTimes gives no times here\n");
  } else {
    std::printf("idle cpu, options off: %.2f%% of one core\n", off);
    std::printf("timer cpu share: %.2f%% of one core (target < 1%%)\n", on);
  }
  return 0;
}
