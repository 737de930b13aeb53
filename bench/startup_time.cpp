// Start-up benchmark: the time from CreateProcess to the main window shown
// and answering messages, for velmora.exe, for the plain window (the same
// window written plainly, its floor) and for the empty window, taken in
// turns, reported as medians and as ratios: the plain window against the
// empty one, velmora.exe against the plain window. Then velmora.exe with
// every organization policy value set (under HKLM) against none, in turns.
//
//   startup_time.exe VELMORA.EXE CAPTION PLAIN.EXE CAPTION EMPTY.EXE CAPTION
//                    [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

// Every value the program reads, each set so that the window still shows
// as at a plain start (Guard 0 rather than 1, which would add an icon).
constexpr const wchar_t* kPolicyKey = L"Software\\Policies\\Velmora";
constexpr std::pair<const wchar_t*, DWORD> kEveryPolicyValue[] = {
    {L"AutoRemove", 1}, {L"Guard", 0},         {L"NotifyWhenRemoving", 1},
    {L"Repair", 0},     {L"AutoRunSwitch", 0}, {L"AuditOnly", 1},
    {L"EventLog", 0}};

void SetEveryPolicyValue(bool set) {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, KEY_WOW64_64KEY, 0);
  if (!set) return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  for (const auto& [name, value] : kEveryPolicyValue)
    RegSetValueExW(key, name, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

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

  Program none = app, every = app;
  none.ms.clear();
  every.ms.clear();
  for (int i = 0; i < runs; ++i) {
    for (Program* p : {&none, &every}) {
      SetEveryPolicyValue(p == &every);
      const double ms = TimeStart(*p);
      if (ms < 0) {
        SetEveryPolicyValue(false);
        std::printf("start-up with policy: velmora.exe did not show\n");
        return 1;
      }
      p->ms.push_back(ms);
    }
  }
  SetEveryPolicyValue(false);
  std::printf(
      "start-up with every policy value set ratio: %.2fx (%.1f ms against "
      "%.1f ms with none, medians; target <= 1.05x)\n",
      bench::Median(every.ms) / bench::Median(none.ms), bench::Median(every.ms),
      bench::Median(none.ms));
  return 0;
}
