// A network drive whose server stops answering never holds up the search or
// the timer: tools/stall-drive.sh maps a drive letter typed "network" to a
// FUSE file system that stops answering while C:\velmora\stall.flag exists.
// A search or tick that returns while the flag is there has not waited for
// the dead drive, whose every call blocks until the flag goes; the other
// drives are still cleaned and the dead one gets its not-ready line. The
// times are printed; the bound itself is measured by `make bench`.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "removal/auto_removal.h"
#include "removal/log_lines.h"
#include "removal/search_remove.h"
#include "tests/wine/real_controls.h"
#include "tests/wine/test_drives.h"
#include "tests/wine/test_files.h"

namespace velmora::win32 {
namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

const wchar_t kFlag[] = L"C:\\velmora\\stall.flag";

class StalledDriveTest : public RealControls {
 protected:
  void SetUp() override {
    const char* letter = std::getenv("VELMORA_TEST_STALL_DRIVE");
    if (!letter || !*letter) {
      const char* why = std::getenv("VELMORA_TEST_STALL_SKIP");
      GTEST_SKIP() << "no stalled drive: "
                   << (why && *why ? why : "run through tools/wine-tests.sh");
    }
    RealControls::SetUp();
    if (IsSkipped()) return;
    dead = {letter[0], ':'};
    DeleteFileW(kFlag);
    EmptyDrive(dead);
    ASSERT_EQ(GetDriveTypeW(Widen(dead + "\\").c_str()),
              static_cast<UINT>(DRIVE_REMOTE));
    Lines walked = drives;
    walked.push_back(dead);
    Use(walked);
  }
  void TearDown() override {
    DeleteFileW(kFlag);  // the stalled calls return
    RealControls::TearDown();
  }
  void Stall() {
    HANDLE flag = CreateFileW(kFlag, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(flag, INVALID_HANDLE_VALUE);
    CloseHandle(flag);
  }
  template <typename Walk>
  double Timed(const char* what, Walk walk) {
    const Clock::time_point start = Clock::now();
    walk();
    const double seconds =
        std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s with %s stalled: %.3f s\n", what, dead.c_str(), seconds);
    return seconds;
  }
  // Ends the stall, should a walk still wait on it after `limit`, so that
  // the test fails where it would hang; whether it had to.
  class Watchdog {
   public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
            std::unique_lock lock(mutex_);
            if (!done_.wait_for(lock, limit, [this] { return finished_; }))
              fired_ = DeleteFileW(kFlag) != 0;
          }) {}
    // Stops the dog: whether it had ended the stall before.
    bool Fired() {
      {
        std::lock_guard lock(mutex_);
        finished_ = true;
      }
      done_.notify_one();
      thread_.join();
      return fired_;
    }

   private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false, fired_ = false;
    std::thread thread_;
  };
  std::string dead;
};

TEST_F(StalledDriveTest, ANetworkDriveThatAnswersIsSearchedAsBefore) {
  MakeFile(dead + "\\autorun.inf");
  cmdremove_Click(*system, *Drive1, Check3, List1);
  EXPECT_EQ(Log().back(), kRemovedLine + AutorunPath(dead));
  EXPECT_EQ(Attributes(dead + "\\autorun.inf"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StalledDriveTest, SearchesCleanTheOtherDrivesAndPassTheDeadOneOver) {
  for (const auto& drive : drives) MakeFile(drive + "\\autorun.inf");
  Stall();
  for (int search = 0; search < 2; ++search) {
    log_widget.SetRows({});
    Timed("search", [&] { cmdremove_Click(*system, *Drive1, Check3, List1); });
    Lines expected;
    for (const auto& drive : drives) {
      const std::string path = AutorunPath(drive);
      if (search == 0) {
        expected.insert(
            expected.end(),
            {kFoundLine + path, kRemovingLine + path, kRemovedLine + path});
      } else {
        expected.push_back(kNotFoundLine + path);
      }
    }
    expected.push_back(kNotReadyLine + AutorunPath(dead));
    EXPECT_EQ(Log(), expected) << "search " << search;
  }
  for (const auto& drive : drives)
    EXPECT_EQ(Attributes(drive + "\\autorun.inf"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StalledDriveTest, TicksCleanTheOtherDrives) {
  Stall();
  AutoRemoval removal;
  Lines expected;
  for (const auto& drive : drives) {
    MakeFile(drive + "\\autorun.inf");
    Timed("tick", [&] { removal.Timer1_Timer(*system, *Drive1, List1); });
    expected.push_back(kRemovedLine + AutorunPath(drive));
  }
  EXPECT_EQ(Log(), expected);
  // The drive list keeps the dead drive's row.
  EXPECT_EQ(drive_widget.Rows().back().rfind(dead, 0), 0u);
}

}  // namespace
}  // namespace velmora::win32

namespace velmora::win32 {
namespace {

// A write-protected stick holding an autorun.inf beside the dead drive: the
// stick's failed removal is told as when every drive answers, without the
// window's thread waiting on the dead drive for the reason.
TEST_F(StalledDriveTest, AWriteProtectedStickBesideItFailsAsWhenAllAnswer) {
  const char* letter = std::getenv("VELMORA_TEST_RO_DRIVE");
  if (!letter || !*letter) GTEST_SKIP() << "no write-protected drive";
  const std::string stick{letter[0], ':'};
  ASSERT_NE(Attributes(AutorunPath(stick)), INVALID_FILE_ATTRIBUTES);
  Use(Lines{stick, dead});
  cmdremove_Click(*system, *Drive1, Check3, List1);
  Lines expected = Log();
  ASSERT_EQ(expected.size(), 4u);
  EXPECT_EQ(expected[2].rfind(kFailedLine + AutorunPath(stick), 0), 0u);
  expected.back() = kNotReadyLine + AutorunPath(dead);
  Stall();
  for (int search = 0; search < 2; ++search) {
    log_widget.SetRows({});
    Watchdog dog(std::chrono::seconds(20));
    Timed("search beside a write-protected stick",
          [&] { cmdremove_Click(*system, *Drive1, Check3, List1); });
    ASSERT_FALSE(dog.Fired()) << "search " << search << " waited on " << dead;
    EXPECT_EQ(Log(), expected) << "search " << search;
  }
}

}  // namespace
}  // namespace velmora::win32
