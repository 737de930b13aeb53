// Volume arrival through velmora.exe's window: with "Auto Remove w/o
// Notification" on, a WM_DEVICECHANGE arrival for a volume makes a new
// autorun.inf go at once, long before the next 900 ms tick would.
//
// The message is sent from this process with SendMessageTimeout. Its lParam
// points at a DEV_BROADCAST_VOLUME in our memory; Wine copies the block
// (dbch_size bytes) into the receiving process for the arrival and removal
// codes, as it does for its own mount manager's broadcasts, so the window
// sees a real header. The test does not take that on trust: the file is
// only gone when the window read a volume header and acted on it.
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>

#include "../common/autorun_lines.h"
#include "harness.h"

namespace e2e {
namespace {

constexpr char kAutoRemove[] = "Auto Remove w/o Notification";
// Far less than the 900 ms to the next tick: only the message can explain a
// file gone this fast after a tick was seen.
constexpr ULONGLONG kAtOnceMs = 300;

using autorun_lines::PathOn;
std::string Removed(char drive) {
  return autorun_lines::Removed(PathOn(drive));
}

// Sends WM_DEVICECHANGE for the volume of `drive`; true when it was handled.
bool SendVolume(HWND window, WPARAM code, char drive) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << (drive - 'A');
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_DEVICECHANGE, code,
                             reinterpret_cast<LPARAM>(&volume), SMTO_NORMAL,
                             kWaitMs, &result) != 0;
}

class DeviceChange : public OnEmptyDrives {
 protected:
  void SetUp() override {
    OnEmptyDrives::SetUp();
    ASSERT_FALSE(Exists("C:\\autorun.inf"));
  }

  // Switches the automatic removal on and waits for one of its ticks to be
  // seen ending: a file put on the last drive the walk visits goes and its
  // line is logged, after which that tick has nothing left to do. (Seen on
  // an earlier drive, the same tick could still go on to the drive a test
  // then writes to.) Gives the moment it was seen, 0 on failure.
  ULONGLONG StartAndSeeATick(App& app) {
    const std::vector<std::string> rows = ComboRows(app.DriveCombo());
    if (rows.empty() || rows.back().empty() || rows.back()[0] != last) {
      ADD_FAILURE() << "the drive list does not end with " << last << ":";
      return 0;
    }
    HWND check = app.Control("Button", kAutoRemove);
    if (!check) return 0;
    App::Click(check);
    EXPECT_TRUE(WaitFor([&] { return CheckState(check) == BST_CHECKED; }));
    PutFile(PathOn(last), "[autorun]\r\n");
    // Polled often, so that the end of the tick is seen within a few ms.
    const bool seen = WaitFor(
        [&] {
          const std::vector<std::string> lines = app.LogLines();
          return !Exists(PathOn(last)) && !lines.empty() &&
                 lines.back() == Removed(last);
        },
        3 * kTickMs, 2);
    EXPECT_TRUE(seen) << "no tick removed " << PathOn(last);
    return seen ? GetTickCount64() : 0;
  }

  char last = TestDrives().back();  // the last drive of the walk
};

TEST_F(DeviceChange, ArrivalWithAutoRemoveRemovesAtOnce) {
  App app;
  ASSERT_TRUE(app.started());
  const ULONGLONG tick = StartAndSeeATick(app);
  ASSERT_NE(tick, 0u);
  PutFile(
      PathOn('D'), "[autorun]\r\nopen=evil.exe\r\n",
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  PutFile("D:\\photo.jpg", "jpeg");
  ASSERT_TRUE(Exists(PathOn('D')));
  ASSERT_TRUE(SendVolume(app.main(), DBT_DEVICEARRIVAL, 'D'));
  // The window answers the message at once and does the work when the
  // message it posted to itself comes round.
  const bool gone = WaitFor([] { return !Exists(PathOn('D')); }, kTickMs, 2);
  const ULONGLONG elapsed = GetTickCount64() - tick;
  EXPECT_TRUE(gone) << "still there a tick's time after the arrival";
  EXPECT_LT(elapsed, kAtOnceMs)
      << "the next tick was due " << kTickMs << " ms after the one seen";
  EXPECT_EQ(app.WaitLog(2),
            (std::vector<std::string>{Removed(last), Removed('D')}));
  EXPECT_EQ(ReadAll("D:\\photo.jpg"), "jpeg");
  EXPECT_TRUE(app.NoBox());
}

TEST_F(DeviceChange, ArrivalWithoutAutoRemoveRemovesNothing) {
  // A running timer would show on the marker as well as on the file.
  const TickMarker ticks(last);
  ticks.Arm();
  PutFile(PathOn('D'), "[autorun]\r\n");
  App app;
  ASSERT_TRUE(app.started());
  const ULONGLONG shown = GetTickCount64();
  ASSERT_TRUE(SendVolume(app.main(), DBT_DEVICEARRIVAL, 'D'));
  EXPECT_TRUE(Exists(PathOn('D'))) << "removed on the arrival";
  // Longer than a tick from when the window was there: nothing runs the
  // removal while the option is off.
  const ULONGLONG elapsed = GetTickCount64() - shown;
  const DWORD rest = static_cast<DWORD>(kTickMs + kTickMs / 2 -
                                        std::min<ULONGLONG>(elapsed, kTickMs));
  EXPECT_FALSE(
      WaitFor([&] { return !Exists(PathOn('D')) || !ticks.Armed(); }, rest))
      << "removed or ticked while the option is off";
  EXPECT_TRUE(app.LogLines().empty());
  EXPECT_TRUE(app.NoBox());
}

TEST_F(DeviceChange, RemovalOrOtherDevicesLeaveItToTheTimer) {
  App app;
  ASSERT_TRUE(app.started());
  const ULONGLONG tick = StartAndSeeATick(app);
  ASSERT_NE(tick, 0u);
  PutFile(PathOn('D'), "[autorun]\r\n");
  ASSERT_TRUE(SendVolume(app.main(), DBT_DEVICEREMOVECOMPLETE, 'D'));
  DEV_BROADCAST_HDR port = {};
  port.dbch_size = sizeof port;
  port.dbch_devicetype = DBT_DEVTYP_PORT;
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(
      app.main(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
      reinterpret_cast<LPARAM>(&port), SMTO_NORMAL, kWaitMs, &result));
  const bool there = Exists(PathOn('D'));
  const ULONGLONG elapsed = GetTickCount64() - tick;
  // Only meaningful while the next tick has not come yet.
  ASSERT_LT(elapsed, kAtOnceMs);
  EXPECT_TRUE(there) << "removed on a removal or a port arrival";
  // The timer still runs and takes it at its next tick.
  EXPECT_TRUE(WaitFor([] { return !Exists(PathOn('D')); }, 3 * kTickMs));
  EXPECT_EQ(app.WaitLog(2),
            (std::vector<std::string>{Removed(last), Removed('D')}));
}

}  // namespace
}  // namespace e2e
