// Start-up benchmark: the time from CreateProcess to the main window shown
// and answering messages, for velmora.exe and for the bare window program,
// taken in turns, reported as medians and as their ratio.
//
//   startup_time.exe VELMORA.EXE CAPTION BARE.EXE CAPTION [RUNS]
#include <cstdio>
#include <cstdlib>

#include "bench_common.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

// One start; a negative result when the window never showed.
double TimeStart(const std::wstring& exe, const std::wstring& caption) {
  PROCESS_INFORMATION process = {};
  double start = bench::NowMs();
  if (!bench::Start(exe, process)) return -1;
  HWND hwnd = bench::WaitShown(process.dwProcessId, caption, kTimeoutMs);
  double elapsed = bench::NowMs() - start;
  bench::Stop(process, hwnd);
  return hwnd ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: startup_time VELMORA CAPTION BARE CAPTION [RUNS]\n");
    return 2;
  }
  const std::wstring app = bench::Widen(argv[1]),
                     app_caption = bench::Widen(argv[2]);
  const std::wstring bare = bench::Widen(argv[3]),
                     bare_caption = bench::Widen(argv[4]);
  const int runs = argc > 5 ? std::atoi(argv[5]) : 10;

  // One start of each first, so that both find Wine's files in the cache.
  TimeStart(app, app_caption);
  TimeStart(bare, bare_caption);
  std::vector<double> app_ms, bare_ms;
  for (int i = 0; i < runs; ++i) {
    double a = TimeStart(app, app_caption);
    double b = TimeStart(bare, bare_caption);
    if (a < 0 || b < 0) {
      std::printf("start-up: a window did not show within %lu ms\n",
                  kTimeoutMs);
      return 1;
    }
    app_ms.push_back(a);
    bare_ms.push_back(b);
  }
  double a = bench::Median(app_ms), b = bench::Median(bare_ms);
  std::printf("start-up velmora.exe: %.1f ms (median of %d)\n", a, runs);
  std::printf("start-up bare window: %.1f ms (median of %d)\n", b, runs);
  std::printf("start-up time ratio: %.2fx (target <= 1.5x)\n", a / b);
  // The fastest starts are the least disturbed by other load.
  double fa = *std::min_element(app_ms.begin(), app_ms.end());
  double fb = *std::min_element(bare_ms.begin(), bare_ms.end());
  std::printf(
      "start-up time ratio of the fastest starts: %.2fx (%.1f / %.1f ms)\n",
      fa / fb, fa, fb);
  return 0;
}
