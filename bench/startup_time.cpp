// Start-up benchmark: the time from CreateProcess to the main window shown
// and answering messages, for velmora.exe, for the plain window (the same
// window written plainly, its floor) and for the empty window, taken in
// turns, reported as medians and as ratios: the plain window against the
// empty one, velmora.exe against the plain window.
//
//   startup_time.exe VELMORA.EXE CAPTION PLAIN.EXE CAPTION EMPTY.EXE CAPTION
//                    [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench_common.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

struct Program {
  const char* name;
  std::wstring exe, caption;
  std::vector<double> ms = {};

  Program(const char* n, const char* e, const char* c)
      : name(n), exe(bench::Widen(e)), caption(bench::Widen(c)) {}
};

double Fastest(const Program& p) {
  return *std::min_element(p.ms.begin(), p.ms.end());
}

// One start; a negative result when the window never showed.
double TimeStart(const Program& p) {
  PROCESS_INFORMATION process = {};
  double start = bench::NowMs();
  if (!bench::Start(p.exe, process)) return -1;
  HWND hwnd = bench::WaitShown(process.dwProcessId, p.caption, kTimeoutMs);
  double elapsed = bench::NowMs() - start;
  bench::Stop(process, hwnd);
  return hwnd ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr,
                 "usage: startup_time VELMORA CAPTION PLAIN CAPTION EMPTY "
                 "CAPTION [RUNS]\n");
    return 2;
  }
  Program programs[] = {{"velmora.exe", argv[1], argv[2]},
                        {"plain window", argv[3], argv[4]},
                        {"empty window", argv[5], argv[6]}};
  const int runs = argc > 7 ? std::max(1, std::atoi(argv[7])) : 10;

  // One start of each first, so that all find Wine's files in the cache.
  for (Program& p : programs) TimeStart(p);
  for (int i = 0; i < runs; ++i) {
    for (Program& p : programs) {
      const double ms = TimeStart(p);
      if (ms < 0) {
        std::printf("start-up: the %s did not show within %lu ms\n", p.name,
                    kTimeoutMs);
        return 1;
      }
      p.ms.push_back(ms);
    }
  }
  for (const Program& p : programs)
    std::printf("start-up %s: %.1f ms (median of %d), fastest %.1f ms\n",
                p.name, bench::Median(p.ms), runs, Fastest(p));
  const Program &app = programs[0], &plain = programs[1], &empty = programs[2];
  std::printf(
      "start-up plain window ratio: %.2fx (the floor for this window against "
      "the empty window; reference, no target)\n",
      bench::Median(plain.ms) / bench::Median(empty.ms));
  std::printf("start-up time ratio: %.2fx (target <= 1.1x)\n",
              bench::Median(app.ms) / bench::Median(plain.ms));
  // The fastest starts are the least disturbed by other load.
  std::printf("start-up time ratio of the fastest starts: %.2fx\n",
              Fastest(app) / Fastest(plain));
  return 0;
}
