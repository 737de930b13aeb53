// Arrival latency benchmark: how long a new autorun.inf stays on a drive
// while "Auto Remove w/o Notification" is on, when the system announces the
// volume (WM_DEVICECHANGE, DBT_DEVICEARRIVAL) against when only Timer1's
// 900 ms ticks find it. Starts velmora.exe, checks Check2, then for each
// sample waits a different part of a tick, writes DRIVE:\autorun.inf and
// clocks until it is gone; in the message samples the arrival is sent to
// the main window right after the file is written. The window answers the
// message at once and does the work afterwards, so the file is polled for
// from the moment the message is sent, while another thread waits for the
// answer. Reports the medians and their ratio (target: under 0.01).
//
// The drive must hold no autorun.inf at the start, so that nothing but the
// benchmark's own files is ever removed from it.
//
//   arrival_latency.exe VELMORA.EXE DRIVE [RUNS]
// clang-format off
#include "bench_common.h"  // <windows.h> before <dbt.h>
#include <dbt.h>
// clang-format on
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "velmora_process.h"

namespace {

constexpr DWORD kTickMs = 900;
constexpr double kGiveUpMs = 5000;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Write(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char text[] = "[autorun]\r\nopen=bench.exe\r\n";
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
  return written == sizeof text - 1;
}

// Milliseconds from `start` until `path` is gone; negative on timeout. A
// millisecond between two looks leaves the cores to the program measured.
double UntilGone(const std::wstring& path, double start) {
  while (Exists(path)) {
    if (bench::NowMs() - start > kGiveUpMs) return -1;
    Sleep(1);
  }
  return bench::NowMs() - start;
}

// Sends the arrival of one drive to the window each time `go` is set, from
// its own thread, and sets `done` once the window has answered.
struct Announcer {
  HWND main;
  wchar_t letter;
  HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  bool quit = false;

  static DWORD WINAPI Run(void* self) {
    auto* a = static_cast<Announcer*>(self);
    while (WaitForSingleObject(a->go, INFINITE) == WAIT_OBJECT_0 && !a->quit) {
      DEV_BROADCAST_VOLUME volume = {};
      volume.dbcv_size = sizeof volume;
      volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
      volume.dbcv_unitmask = 1u << (a->letter - L'A');
      DWORD_PTR result = 0;
      SendMessageTimeoutW(a->main, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                          reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL, 5000,
                          &result);
      SetEvent(a->done);
    }
    return 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || !std::isalpha(static_cast<unsigned char>(argv[2][0]))) {
    std::fprintf(stderr, "usage: arrival_latency VELMORA DRIVE [RUNS]\n");
    return 2;
  }
  const wchar_t letter = static_cast<wchar_t>(
      std::toupper(static_cast<unsigned char>(argv[2][0])));
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
  const std::wstring path = std::wstring{letter} + L":\\autorun.inf";
  if (Exists(path)) {
    std::printf("arrival latency: %c:\\autorun.inf exists; not measured\n",
                static_cast<char>(letter));
    return 1;
  }

  PROCESS_INFORMATION process = {};
  HWND main = bench::StartVelmora(argv[1], process, "arrival latency");
  if (!main) return 1;
  HWND check2 = bench::FindButton(main, L"Auto Remove w/o Notification");
  if (!check2) {
    std::printf("arrival latency: no Check2\n");
    bench::Stop(process, main);
    return 1;
  }
  if (!bench::SetChecked(check2, true)) {
    std::printf("arrival latency: Check2 did not become checked\n");
    bench::Stop(process, main);
    return 1;
  }

  // A fixed spread of moments within a tick, the same for both kinds.
  unsigned seed = 12345;
  auto next_wait = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<DWORD>((seed >> 8) % kTickMs);
  };
  Announcer announcer{main, letter};
  HANDLE thread =
      CreateThread(nullptr, 0, &Announcer::Run, &announcer, 0, nullptr);
  std::vector<double> by_timer, by_message;
  bool failed = thread == nullptr;
  for (int i = 0; i < 2 * runs && !failed; ++i) {
    const bool message = i % 2 == 1;
    Sleep(next_wait());
    if (!Write(path)) {
      failed = true;
      break;
    }
    const double start = bench::NowMs();
    if (message) SetEvent(announcer.go);
    const double ms = UntilGone(path, start);
    if (message) WaitForSingleObject(announcer.done, 10000);
    if (ms < 0) failed = true;
    (message ? by_message : by_timer).push_back(ms);
  }
  if (thread) {
    announcer.quit = true;
    SetEvent(announcer.go);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
  }
  bench::Stop(process, main);
  if (failed) {
    std::printf("arrival latency: a file was not removed; not measured\n");
    if (Exists(path)) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
    return 1;
  }
  const double timer = bench::Median(by_timer);
  const double sent = bench::Median(by_message);
  std::printf(
      "arrival latency: %.1f ms with the arrival message, %.1f ms by the "
      "timer alone (medians of %d)\n",
      sent, timer, runs);
  std::printf("arrival latency ratio: %.3f (target < 0.01)\n",
              timer > 0 ? sent / timer : 0.0);
  return 0;
}
