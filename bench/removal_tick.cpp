// Automatic-removal benchmark: one tick of Timer1 in the running velmora.exe
// against the floor loop of such a tick (floor_tick.h). Nothing is there to
// remove (tools/bench.sh maps 24 empty drives), so both do the same work for
// the same outcome.
//
// The ticks are spaced as the program's are (a pause before each), not run
// back to back, and the program's tick is sent to its own running window as
// WM_TIMER from here; the time a message takes to get there and back is
// measured with WM_NULL the same way and taken off.
//
//   removal_tick.exe VELMORA.EXE [PASSES] [QUIET-MS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_common.h"
#include "floor_tick.h"
#include "velmora_process.h"

namespace {

// Milliseconds the window takes to handle one sent message, or -1.
double TimeSend(HWND hwnd, UINT message, WPARAM wparam) {
  const double start = bench::NowMs();
  if (!bench::SendAndWait(hwnd, message, wparam)) return -1;
  return bench::NowMs() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: removal_tick VELMORA [PASSES] [QUIET-MS]\n");
    return 2;
  }
  const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  // The quiet before each timed part.
  const DWORD pause =
      static_cast<DWORD>(std::max(0, argc > 3 ? std::atoi(argv[3]) : 300));
  PROCESS_INFORMATION process = {};
  HWND main = bench::StartVelmora(argv[1], process, "removal tick");
  if (!main) return 1;
  // The window handles a timer's WM_TIMER only while the timer runs. Check2
  // is switched on before each sent tick and off after it, so the window's
  // own Timer1 (first due 900 ms after the switch) never runs into it.
  HWND check2 = bench::FindButton(main, L"Auto Remove w/o Notification");
  if (!check2) {
    std::printf("removal tick: no Check2\n");
    bench::Stop(process, main);
    return 1;
  }
  const WPARAM timer1 = bench::TimerId("Timer1");
  Sleep(2000);  // let the start-up settle

  std::vector<double> tick_ms, floor_ms, round_trip_ms;
  int ready = 0;
  bool answered = true;
  for (int i = 0; i < passes && answered; ++i) {
    if (!bench::SetChecked(check2, true)) break;
    Sleep(pause);
    const double tick = TimeSend(main, WM_TIMER, timer1);
    if (!bench::SetChecked(check2, false)) break;
    Sleep(pause);
    const double null = TimeSend(main, WM_NULL, 0);
    Sleep(pause);
    const double start = bench::NowMs();
    ready = bench::FloorTick();
    floor_ms.push_back(bench::NowMs() - start);
    answered = null >= 0 && tick >= 0;
    round_trip_ms.push_back(null);
    tick_ms.push_back(tick);
  }
  bench::Stop(process, main);
  if (!answered || static_cast<int>(tick_ms.size()) < passes) {
    std::printf(
        "removal tick: the window did not answer or Check2 did not switch; "
        "not measured\n");
    return 1;
  }
  const double round_trip = bench::Median(round_trip_ms);
  const double tick = bench::Median(tick_ms) - round_trip;
  const double floor = bench::Median(floor_ms);
  std::printf(
      "removal tick: %.2f ms over %d ready drives, nothing to remove (median "
      "of %d, %.2f ms message round trip taken off)\n",
      tick, ready, passes, round_trip);
  std::printf("removal floor loop: %.2f ms\n", floor);
  std::printf("removal tick ratio: %.2fx (target <= 1.1x)\n", tick / floor);
  return 0;
}
