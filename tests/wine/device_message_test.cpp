// WM_DEVICECHANGE on the real main window: which messages become the
// arrival and removal events, and that the whole main window then runs the
// automatic removal's work at once. The header is checked before it is
// read further: a null pointer, a block too short for a volume or another
// device type is passed over.
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"
#include "platform/win32/win32_platform.h"
#include "tests/wine/event_recorder.h"
#include "tests/wine/pump.h"

namespace velmora::win32 {
namespace {

constexpr ControlLayout kControls[] = {
    {"btn", ControlKind::Button, "Button", 120, 120, 1200, 375, 0},
};
constexpr FormLayout kLayout = {
    "devform", "Device messages", kNoColour, {}, 3000, 1500, 1, kControls,
};

LRESULT Send(HWND hwnd, WPARAM code, const void* block) {
  return SendMessageW(hwnd, WM_DEVICECHANGE, code,
                      reinterpret_cast<LPARAM>(block));
}

TEST(DeviceMessageTest, OnlyWholeVolumeHeadersOfArrivalOrRemovalCount) {
  Win32WindowFactory factory(false);
  Recorder sink;
  auto window = factory.Create(kLayout, sink.Events());
  sink.Bind(*window, kLayout);
  HWND hwnd = static_cast<HWND>(NativeHandle(*window));
  ASSERT_NE(hwnd, nullptr);
  // A top-level window: the system broadcasts device changes to those.
  EXPECT_EQ(GetAncestor(hwnd, GA_ROOT), hwnd);
  EXPECT_EQ(GetParent(hwnd), nullptr);

  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;
  // Each is answered TRUE, as a window that lets the change go ahead.
  EXPECT_EQ(Send(hwnd, DBT_DEVICEARRIVAL, nullptr), TRUE);
  EXPECT_EQ(Send(hwnd, DBT_DEVICEREMOVECOMPLETE, nullptr), TRUE);

  // A header that claims a volume but is too short to be one.
  DEV_BROADCAST_HDR short_volume = {};
  short_volume.dbch_size = sizeof short_volume;
  short_volume.dbch_devicetype = DBT_DEVTYP_VOLUME;
  Send(hwnd, DBT_DEVICEARRIVAL, &short_volume);
  DEV_BROADCAST_VOLUME zero_size = volume;
  zero_size.dbcv_size = 0;
  Send(hwnd, DBT_DEVICEARRIVAL, &zero_size);
  // Other codes for a volume. The program holds nothing open on a volume
  // between messages, so a query to remove one is granted.
  EXPECT_EQ(Send(hwnd, DBT_DEVICEQUERYREMOVE, &volume), TRUE);
  Send(hwnd, DBT_DEVICEREMOVEPENDING, &volume);
  Send(hwnd, DBT_DEVNODES_CHANGED, nullptr);
  // Other device types.
  DEV_BROADCAST_DEVICEINTERFACE_W device = {};
  device.dbcc_size = sizeof device;
  device.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  Send(hwnd, DBT_DEVICEARRIVAL, &device);
  Pump();
  EXPECT_TRUE(sink.events.empty());

  EXPECT_EQ(Send(hwnd, DBT_DEVICEARRIVAL, &volume), TRUE);
  EXPECT_EQ(Send(hwnd, DBT_DEVICEREMOVECOMPLETE, &volume), TRUE);
  // The work is posted: the system's call returns before it runs.
  EXPECT_TRUE(sink.events.empty());
  Pump([&] { return sink.events.size() >= 2; }, 3000);
  EXPECT_EQ(sink.Count("", Event::DeviceArrival), 1);
  EXPECT_EQ(sink.Count("", Event::DeviceRemoval), 1);
  EXPECT_EQ(sink.events.size(), 2u);
}

// The main window of the program on the real backend, over the fake's
// drives so that nothing of the machine is touched: an arrival message
// makes the file go before any tick, only while Check2 is on.
TEST(DeviceMessageTest, MainWindowRemovesOnArrivalWhileCheck2IsOn) {
  fake::FakeSystem system;
  system.AddDrive('C');
  system.AddDrive('E');
  system.SetCurrent('C');
  Win32WindowFactory factory(false);
  fake::FakeRegistry registry;
  fake::FakeFileTree files;
  Frmremover form(system, factory, registry, files);
  form.Load();
  Window& window = form.ForTest().window;
  HWND hwnd = static_cast<HWND>(NativeHandle(window));
  HWND check2 = static_cast<HWND>(NativeHandle(window, "Check2"));
  HWND log = static_cast<HWND>(NativeHandle(window, "List1"));
  ASSERT_TRUE(hwnd && check2 && log);

  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;

  system.AddFile("E:\\autorun.inf", "[autorun]", fake::kHidden);
  Send(hwnd, DBT_DEVICEARRIVAL, &volume);
  Pump();
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
  EXPECT_EQ(SendMessageW(log, LB_GETCOUNT, 0, 0), 0);

  SendMessageW(check2, BM_CLICK, 0, 0);
  ASSERT_EQ(SendMessageW(check2, BM_GETCHECK, 0, 0), BST_CHECKED);
  Send(hwnd, DBT_DEVICEARRIVAL, &volume);
  Pump([&] { return !system.Has("E:\\autorun.inf"); }, 3000);
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  ASSERT_EQ(SendMessageW(log, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(window.Control("List1").Rows().at(0),
            "Autorun Removed from: E:\\autorun.inf");
  EXPECT_TRUE(system.boxes.empty());
  window.Unload();
}

}  // namespace
}  // namespace velmora::win32
