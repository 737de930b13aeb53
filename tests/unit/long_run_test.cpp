// An hour with both timers on, simulated on the fake: 4,000 ticks of Timer1
// (900 ms) and 7,200 of Timer2 (500 ms) in the order their times fall, while
// media come and go every minute, with and without autorun.inf, one of them
// write-protected. Each minute's log must hold exactly the lines that truly
// happened, and heap memory in use must not grow from one minute to the
// next once the first minutes have warmed everything up.
//
// Heap in use: under AddressSanitizer malloc is ASan's own, which glibc's
// mallinfo2 does not see, so ASan's allocator statistics are read instead;
// without ASan, glibc's mallinfo2().uordblks. The log is cleared with the
// Clear Log button at the end of each minute (after its lines were
// checked), so that its own growth does not hide a leak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/form_test.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_ASAN 1
#endif

#if defined(VELMORA_ASAN)
#include <sanitizer/allocator_interface.h>
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velmora {
namespace {

constexpr long kHourMs = 60L * 60 * 1000;
constexpr long kTimer1Ms = 900, kTimer2Ms = 500;
constexpr long kMinuteMs = 60 * 1000;
constexpr int kWarmUpMinutes = 5;
// What the heap may differ by between two end-of-minute samples: gtest's
// and the standard library's own small allocations, far below what one
// byte lost per tick would add up to over the hour (11,200 ticks).
constexpr long long kHeapSlackBytes = 2048;

// Bytes of heap in use, or -1 where this build cannot tell.
long long HeapInUse() {
#if defined(VELMORA_ASAN)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#elif defined(__GLIBC__)
  return static_cast<long long>(mallinfo2().uordblks);
#else
  return -1;
#endif
}

// One thing that happens to the media at a moment of a minute.
enum class Happening { InsertE, EjectE, InsertG, EjectG, PlugH, UnplugH };
struct Step {
  long at_ms;  // within the minute
  Happening what;
};
constexpr Step kMinute[] = {
    {5000, Happening::InsertE},  {25000, Happening::EjectE},
    {30000, Happening::InsertG}, {50000, Happening::EjectG},
    {35000, Happening::PlugH},   {55000, Happening::UnplugH},
};

class LongRunTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.SetCurrent('C');
    system.AddFile("C:\\pagefile.sys", "", fake::kHidden | fake::kSystem);
    system.AddDrive('E', false);  // a card reader, empty at start
    // A write-protected medium whose plain autorun.inf can never go.
    fake::FakeDrive& g = system.AddDrive('G', false);
    g.write_protected = true;
    system.AddFile("G:\\autorun.inf", "[autorun]\r\nopen=setup.exe\r\n");
    StartForm();
    W().Click("Check1");
    W().Click("Check2");
  }

  // Makes one happening of minute `m` true, and notes the lines it must
  // bring about.
  void Happen(int m, Happening what, Lines& expected) {
    switch (what) {
      case Happening::InsertE: {
        // Two minutes out of three the card carries an autorun.inf, with
        // attributes that change from card to card.
        static constexpr unsigned kAttributes[] = {
            fake::kArchive, fake::kHidden,
            fake::kHidden | fake::kSystem | fake::kReadOnly};
        system.AddFile("E:\\photo.jpg", "jpeg " + std::to_string(m));
        if (m % 3 != 2) {
          system.AddFile("E:\\autorun.inf", "[autorun]", kAttributes[m % 3]);
          expected.push_back(Removed("E:"));
        }
        system.Drive('E').ready = true;
        // Every other card is announced by the system as it arrives.
        if (m % 2 == 0) W().SendDeviceArrival(Letters("E"));
        break;
      }
      case Happening::EjectE: {
        const fake::FakeFile* photo = system.Find("E:\\photo.jpg");
        EXPECT_TRUE(photo && photo->contents == "jpeg " + std::to_string(m))
            << "minute " << m;
        EXPECT_FALSE(system.Has("E:\\autorun.inf")) << "minute " << m;
        system.Drive('E').ready = false;
        if (m % 2 == 0) W().SendDeviceRemoval(Letters("E"));
        break;
      }
      case Happening::InsertG:
        // Every fourth minute the protected medium is inserted; its failure
        // is logged once per insertion, however long it stays.
        if (m % 4 != 0) break;
        system.Drive('G').ready = true;
        expected.push_back(WriteProtected("G:"));
        if (m % 8 == 0) W().SendDeviceArrival(Letters("G"));
        break;
      case Happening::EjectG:
        system.Drive('G').ready = false;
        break;
      case Happening::PlugH:
        // A stick that is a drive letter of its own while plugged in.
        system.AddDrive('H');
        if (m % 2 == 1) {
          system.AddFile("H:\\autorun.inf", "[autorun]\r\nopen=x.exe\r\n",
                         fake::kHidden);
          expected.push_back(Removed("H:"));
        }
        if (m % 4 == 1) W().SendDeviceArrival(Letters("H"));
        break;
      case Happening::UnplugH:
        EXPECT_FALSE(system.Has("H:\\autorun.inf")) << "minute " << m;
        system.RemoveDrive('H');
        if (m % 4 == 1) W().SendDeviceRemoval(Letters("H"));
        break;
    }
  }
};

TEST_F(LongRunTest, AnHourOfBothTimersLogsWhatHappenedAndStaysFlat) {
  if (HeapInUse() < 0) GTEST_SKIP() << "no heap statistics in this build";
  long timer1_ticks = 0, timer2_ticks = 0;
  long next1 = kTimer1Ms, next2 = kTimer2Ms;
  long total_lines = 0, expected_total = 0;
  std::vector<long long> heap;  // at the end of each minute after warm-up
  heap.reserve(64);

  for (int m = 0; m < 60; ++m) {
    const long start = m * kMinuteMs, end = start + kMinuteMs;
    Lines expected;
    expected.reserve(8);
    std::vector<Step> steps(std::begin(kMinute), std::end(kMinute));
    std::sort(steps.begin(), steps.end(),
              [](const Step& a, const Step& b) { return a.at_ms < b.at_ms; });
    size_t next_step = 0;
    for (;;) {
      const long step_at =
          next_step < steps.size() ? start + steps[next_step].at_ms : end + 1;
      const long now = std::min({next1, next2, step_at});
      // A tick at the minute's last moment still belongs to it.
      if (now > end) break;
      if (now == step_at) {
        Happen(m, steps[next_step++].what, expected);
      } else if (now == next2) {
        W().Tick("Timer2");
        ++timer2_ticks;
        next2 += kTimer2Ms;
      } else {
        W().Tick("Timer1");
        ++timer1_ticks;
        next1 += kTimer1Ms;
      }
    }
    const Lines log = W().Get("List1").Rows();
    ASSERT_EQ(log, expected) << "minute " << m;
    total_lines += static_cast<long>(log.size());
    expected_total += static_cast<long>(expected.size());
    // Timer2 has taken the stick off the list since it was unplugged.
    const Lines rows = W().Get("Drive1").Rows();
    ASSERT_EQ(rows, (Lines{"C:", "E:", "G:"})) << "minute " << m;
    W().Click("cmdclear");
    ASSERT_EQ(W().Get("List1").Rows().size(), 0u);
    if (m + 1 >= kWarmUpMinutes) heap.push_back(HeapInUse());
  }

  EXPECT_EQ(timer1_ticks, kHourMs / kTimer1Ms);
  EXPECT_EQ(timer2_ticks, kHourMs / kTimer2Ms);
  EXPECT_EQ(total_lines, expected_total);
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_TRUE(W().TimerEnabled("Timer1"));
  EXPECT_TRUE(W().TimerEnabled("Timer2"));
  EXPECT_TRUE(system.Has("C:\\pagefile.sys"));
  EXPECT_TRUE(system.Has("G:\\autorun.inf"));

  ASSERT_FALSE(heap.empty());
  const long long base = heap.front();
  long long highest = base;
  for (long long sample : heap) highest = std::max(highest, sample);
  EXPECT_LE(highest - base, kHeapSlackBytes)
      << "heap in use after warm-up " << base << " bytes, highest later "
      << highest << ", at the end " << heap.back();
  RecordProperty("heap_after_warm_up", std::to_string(base));
  RecordProperty("heap_at_end", std::to_string(heap.back()));
}

}  // namespace
}  // namespace velmora
