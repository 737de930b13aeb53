// `velmora.exe /scan` against the plain console program that does the least
// a scan must (bench/scan_baseline.cpp), both started the same way (output
// to a pipe read to the end, waited for until they exit), in turns, as
// medians and their ratio; and, for reference, `velmora.exe /?`, which
// looks at no drive: the cost of starting the program itself.
//
//   scan_time.exe VELMORA.EXE BASELINE.EXE [RUNS]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_common.h"

namespace {

// One run to its exit; a negative result when it did not start or end.
double TimeRun(const std::wstring& command) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return -1;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION process = {};
  std::wstring line = command;
  const double start = bench::NowMs();
  const BOOL started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &process);
  CloseHandle(write);
  if (!started) {
    CloseHandle(read);
    return -1;
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) {
  }
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == 0;
  const double elapsed = bench::NowMs() - start;
  CloseHandle(read);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: scan_time VELMORA BASELINE [RUNS]\n");
    return 2;
  }
  const std::wstring velmora = L"\"" + bench::Widen(argv[1]) + L"\" /scan";
  const std::wstring baseline = L"\"" + bench::Widen(argv[2]) + L"\"";
  const std::wstring usage = L"\"" + bench::Widen(argv[1]) + L"\" /?";
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
  TimeRun(velmora);  // both from Wine's file cache
  TimeRun(baseline);
  std::vector<double> app, floor, start;
  for (int i = 0; i < runs; ++i) {
    const double a = TimeRun(velmora), b = TimeRun(baseline);
    const double c = TimeRun(usage);
    if (a < 0 || b < 0 || c < 0) {
      std::printf("scan time: a run did not end\n");
      return 1;
    }
    app.push_back(a);
    floor.push_back(b);
    start.push_back(c);
  }
  std::printf("scan velmora.exe /scan (24 drives): %.1f ms (median of %d)\n",
              bench::Median(app), runs);
  std::printf("scan plain console program (24 drives): %.1f ms\n",
              bench::Median(floor));
  std::printf("scan velmora.exe /? (no drive looked at): %.1f ms (reference)\n",
              bench::Median(start));
  std::printf("scan time ratio: %.2fx (target <= 1.2x)\n",
              bench::Median(app) / bench::Median(floor));
  return 0;
}
