// What writing an event adds to a deletion: the deletion of an autorun.inf
// (DeleteAutorun) with the event record off and on (the file read, its
// SHA-256, the volume asked, ReportEventW), in turns, on the drive given,
// as medians and their difference.
//
//   event_cost.exe DRIVE-LETTER [RUNS]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "app/event_record.h"
#include "bench_common.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_platform.h"
#include "removal/deletion.h"

namespace {

// A typical worm's autorun.inf, a few hundred bytes.
const std::string kContents =
    "[autorun]\r\nopen=RECYCLER\\S-1-5-21\\autorun.exe\r\n"
    "shell\\open\\command=RECYCLER\\S-1-5-21\\autorun.exe\r\n"
    "shell\\explore\\command=RECYCLER\\S-1-5-21\\autorun.exe\r\n"
    "icon=%SystemRoot%\\system32\\SHELL32.dll,4\r\naction=Open folder\r\n";

double TimeDeletion(velmora::System& system, velmora::EventRecord& events,
                    const std::string& path) {
  std::ofstream(path, std::ios::binary) << kContents;
  const double start = bench::NowMs();
  events.Found(path);
  const velmora::Deletion deletion = velmora::DeleteAutorun(system, path);
  if (deletion.removed)
    events.Deleted(path, velmora::RemovalCause::CommandLine);
  const double elapsed = bench::NowMs() - start;
  return deletion.removed ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: event_cost DRIVE-LETTER [RUNS]\n");
    return 2;
  }
  const std::string path = std::string(1, argv[1][0]) + ":\\autorun.inf";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  velmora::win32::Win32System system("event cost");
  velmora::win32::Win32EventLog log;
  velmora::EventRecord off(system, &log, false), on(system, &log, true);
  TimeDeletion(system, on, path);
  std::vector<double> without, with;
  for (int i = 0; i < runs; ++i) {
    const double a = TimeDeletion(system, off, path);
    const double b = TimeDeletion(system, on, path);
    if (a < 0 || b < 0) {
      std::printf("event cost: a deletion failed\n");
      return 1;
    }
    without.push_back(a);
    with.push_back(b);
  }
  std::printf("deletion without an event: %.3f ms (median of %d)\n",
              bench::Median(without), runs);
  std::printf("deletion with its event: %.3f ms\n", bench::Median(with));
  std::printf("event cost per deletion: %.3f ms more (target <= 1 ms)\n",
              bench::Median(with) - bench::Median(without));
  // Where the time goes: each query an event makes, alone.
  const struct {
    const char* what;
    std::function<void()> run;
  } parts[] = {
      {"read",
       [&] {
         velmora::Error error;
         system.ReadFile(path, velmora::kEventReadBytes, error);
       }},
      {"volume", [&] { log.Volume(path.substr(0, 2)); }},
      {"user", [&] { log.UserName(); }},
      {"ReportEventW",
       [&] {
         log.Write(velmora::kEventAutorunDeleted, velmora::EventLevel::Warning,
                   {"bench"});
       }},
  };
  std::ofstream(path, std::ios::binary) << kContents;
  for (const auto& part : parts) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
      const double start = bench::NowMs();
      part.run();
      ms.push_back(bench::NowMs() - start);
    }
    std::printf("event cost, %s: %.3f ms (median)\n", part.what,
                bench::Median(ms));
  }
  DeleteFileW(bench::Widen(path.c_str()).c_str());
  return 0;
}
