// The main window keeps answering while a network drive stops answering at
// some moment of start-up (tools/stall-drive.sh): the drive stalls from a
// chosen delay after the window is loaded, with Auto Refresh and Auto
// Remove on, so that the labels, the first refresh and each timer's walk
// meet the stall, and with every drive of the test prefix listed, the
// write-protected sticks too, whose autorun.inf each walk fails to remove.
// Another thread asks the window for WM_NULL every 10 ms; an answer that
// takes longer than the e2e harness waits to read a button (1.5 s, far
// beyond the 0.4 s bound of a drive query) means that the window's thread
// waited on the dead drive.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/frmremover.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_registry.h"
#include "tests/wine/pump.h"

namespace velmora::win32 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const wchar_t kFlag[] = L"C:\\velmora\\stall.flag";
constexpr UINT kUnanswered = 1500;  // ms
// How long the window is watched after the stall began.
constexpr milliseconds kWatched{2500};

// Asks `main` for WM_NULL until stopped, and keeps the longest answer.
class Prober {
 public:
  explicit Prober(HWND main)
      : thread_([this, main] {
          while (!stop_) {
            const auto start = Clock::now();
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL,
                                    kUnanswered, &result) != 0;
            const auto took =
                std::chrono::duration_cast<milliseconds>(Clock::now() - start);
            worst_ = std::max<long long>(worst_, took.count());
            // The stall ends, so that a window stuck on it fails the test
            // rather than hanging it.
            if (!answered) {
              unanswered_ = true;
              DeleteFileW(kFlag);
            }
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, milliseconds(10), [this] { return !!stop_; });
          }
          done_ = true;
        }) {}
  // Stops it: whether every question was answered in time.
  bool Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    // A question may be on its way: the window answers it before the join.
    Pump([this] { return !!done_; }, 2 * kUnanswered);
    thread_.join();
    return !unanswered_;
  }
  long long worst() const { return worst_; }

 private:
  std::atomic<bool> stop_{false}, unanswered_{false}, done_{false};
  std::atomic<long long> worst_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
};

void MakeFlag() {
  HANDLE flag = CreateFileW(kFlag, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (flag != INVALID_HANDLE_VALUE) CloseHandle(flag);
}

class StalledStartTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const char* letter = std::getenv("VELMORA_TEST_STALL_DRIVE");
    if (!letter || !*letter) {
      const char* why = std::getenv("VELMORA_TEST_STALL_SKIP");
      GTEST_SKIP() << "no stalled drive: "
                   << (why && *why ? why : "run through tools/wine-tests.sh");
    }
    DeleteFileW(kFlag);
  }
  void TearDown() override {
    DeleteFileW(kFlag);  // the stalled calls return
    Pump();
  }
};

// The stall begins this long after Load.
TEST_P(StalledStartTest, TheWindowAnswersWhereTheStallBeginsAtStartUp) {
  const milliseconds delay{GetParam()};
  Win32System system("Velmora");
  Win32WindowFactory windows{false};
  Win32Registry registry;
  Win32FileTree files;
  Frmremover form(system, windows, registry, files);
  form.Load();
  Window& window = form.ForTest().window;
  HWND main = static_cast<HWND>(NativeHandle(window));
  ASSERT_NE(main, nullptr);
  const auto loaded = Clock::now();
  Prober prober(main);
  for (const char* box : {"Check1", "Check2"}) {
    const HWND check = static_cast<HWND>(NativeHandle(window, box));
    SendMessageW(check, BM_CLICK, 0, 0);
  }
  bool stalled = false;
  Pump(
      [&] {
        if (!stalled && Clock::now() - loaded >= delay) {
          MakeFlag();
          stalled = true;
        }
        return Clock::now() - loaded >= delay + kWatched;
      },
      static_cast<int>((delay + kWatched).count()) + 1000);
  const bool answered = prober.Stop();
  std::printf("stall from %d ms after Load: worst answer %lld ms\n", GetParam(),
              prober.worst());
  EXPECT_TRUE(answered) << "the window did not answer within " << kUnanswered
                        << " ms with the stall from " << GetParam() << " ms";
}

INSTANTIATE_TEST_SUITE_P(Moments, StalledStartTest,
                         ::testing::Values(0, 100, 300, 600, 1000, 1500));

}  // namespace
}  // namespace velmora::win32
