// What the Win32 window's messages become: click, change and timer events,
// the close box, volume arrival and removal, message boxes that keep timers
// ticking, and the message loop that ends with the last window. Needs a
// display (tools/wine-tests.sh gives one).
// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/common/widget_contract.h"
#include "tests/wine/test_window.h"

namespace velmora::win32 {
namespace {

using testing::H;

TEST_F(WindowTest, ClicksBecomeClickEvents) {
  SendMessageW(Ctl("btn"), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.Count("btn", Event::Click), 1);
  Widget& box = window->Control("chk");
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.Count("chk", Event::Click), 1);
  EXPECT_EQ(box.Value(), 1);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 0);
  box.SetValue(2);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(sink.Count("chk", Event::Click), 3);
}

// BM_CLICK, as another program may send it, reaches a disabled control
// past the input Windows keeps from it: it neither toggles nor raises.
TEST_F(WindowTest, ADisabledControlTakesNoClick) {
  Widget& box = window->Control("chk");
  box.SetValue(1);
  box.SetEnabled(false);
  window->Control("btn").SetEnabled(false);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  SendMessageW(Ctl("btn"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 1);
  EXPECT_TRUE(sink.events.empty());
  box.SetEnabled(true);
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(box.Value(), 0);
}

TEST_F(WindowTest, ClickEventSeesTheNewValue) {
  int seen = -1;
  sink.on_event = [&](std::string_view control, Event) {
    if (control == "chk") seen = window->Control("chk").Value();
  };
  SendMessageW(Ctl("chk"), BM_CLICK, 0, 0);
  EXPECT_EQ(seen, 1);
}

TEST_F(WindowTest, SelectionNotificationsBecomeEvents) {
  window->Control("drv").SetRows({"C:", "D:"});
  window->Control("fil").SetRows({"autorun.inf"});
  const auto notify = [&](std::string_view name, WORD code) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Ctl(name)), code),
                 reinterpret_cast<LPARAM>(Ctl(name)));
  };
  notify("drv", CBN_SELCHANGE);
  notify("drv", CBN_DROPDOWN);
  notify("fil", LBN_SELCHANGE);
  notify("fil", LBN_DBLCLK);
  EXPECT_EQ(sink.Count("drv", Event::Change), 1);
  EXPECT_EQ(sink.Count("fil", Event::Click), 1);
  EXPECT_EQ(sink.events.size(), 2u);
  // The control ids stay clear of IDOK and IDCANCEL.
  for (const char* name : {"btn", "chk", "drv", "fil", "lst", "lbl", "txt"}) {
    EXPECT_NE(GetDlgCtrlID(Ctl(name)), IDOK) << name;
    EXPECT_NE(GetDlgCtrlID(Ctl(name)), IDCANCEL) << name;
  }
}

TEST_F(WindowTest, TimerTicksWhileEnabled) {
  window->Control("tmr").SetRunning(true);
  Pump([&] { return sink.Count("tmr", Event::Timer) >= 2; }, 3000);
  EXPECT_GE(sink.Count("tmr", Event::Timer), 2);
  window->Control("tmr").SetRunning(false);
  Pump();
  const int ticks = sink.Count("tmr", Event::Timer);
  Pump(nullptr, 200);
  EXPECT_EQ(sink.Count("tmr", Event::Timer), ticks);
}

TEST_F(WindowTest, CloseBoxUnloadsTheWindow) {
  window->Show();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(sink.Count("", Event::Unload), 1);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(window->Loaded());
  EXPECT_EQ(factory.LiveWindows(), 0);
  // The object stays usable, and Show builds the window again.
  window->Control("lst").AddRow("ignored");
  EXPECT_TRUE(window->Control("lst").Rows().empty());
  window->Show();
  EXPECT_TRUE(window->Loaded());
  EXPECT_TRUE(IsWindowVisible(H(NativeHandle(*window))));
  EXPECT_EQ(window->Control("txt").Text(), "one\ntwo");
}

// A close the handler refuses leaves the window as it was; hidden, it stays
// loaded. The end of the session reaches the handler only when it ends.
TEST_F(WindowTest, ARefusedCloseKeepsTheWindowAndTheSessionsEndIsAnEvent) {
  int asked = 0;
  bool ended = false;
  WindowEvents events = sink.Events();
  events.onCloseRequest = [&] {
    ++asked;
    return false;
  };
  events.onEndSession = [&] { ended = true; };
  std::unique_ptr<Window> guarded = factory.Create(kLayout, events);
  sink.Bind(*guarded, kLayout);
  guarded->Show();
  HWND h = H(NativeHandle(*guarded));
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(sink.Count("", Event::Unload), 0);
  guarded->Hide();
  EXPECT_TRUE(guarded->Loaded());
  EXPECT_FALSE(guarded->Visible());
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_EQ(SendMessageW(h, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(h, WM_ENDSESSION, FALSE, 0);  // the sign-out was called off
  EXPECT_FALSE(ended);
  SendMessageW(h, WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(ended);
}

TEST_F(WindowTest, UnloadFromInsideAnEventIsSafe) {
  sink.on_event = [&](std::string_view control, Event) {
    if (control == "btn") window->Unload();
  };
  SendMessageW(Ctl("btn"), BM_CLICK, 0, 0);
  EXPECT_FALSE(window->Loaded());
  EXPECT_FALSE(IsWindow(hwnd));
}

// A letter defined without telling anyone stays out of the timers' recent
// reads until the window hears of a change, and is in every fresh read.
TEST_F(WindowTest, ARecentDriveListStandsUntilTheWindowHearsOfAChange) {
  Win32System system("Velmora");
  auto has = [](const std::vector<std::string>& entries, const char* entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
  };
  if (has(system.DriveEntries(DriveRead::Fresh), "W:"))
    GTEST_SKIP() << "W: is taken";
  ASSERT_TRUE(DefineDosDeviceW(DDD_NO_BROADCAST_SYSTEM, L"W:", L"C:\\"));
  struct Undefine {
    ~Undefine() {
      DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_NO_BROADCAST_SYSTEM, L"W:",
                       nullptr);
    }
  } undefine;
  EXPECT_FALSE(has(system.DriveEntries(DriveRead::Recent), "W:"));
  EXPECT_TRUE(has(system.DriveEntries(DriveRead::Fresh), "W:"));

  DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_NO_BROADCAST_SYSTEM, L"W:",
                   nullptr);
  EXPECT_TRUE(has(system.DriveEntries(DriveRead::Recent), "W:"));
  SendMessageW(hwnd, WM_SETTINGCHANGE, 0, 0);
  EXPECT_FALSE(has(system.DriveEntries(DriveRead::Recent), "W:"));
  ASSERT_TRUE(DefineDosDeviceW(DDD_NO_BROADCAST_SYSTEM, L"W:", L"C:\\"));
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  EXPECT_TRUE(has(system.DriveEntries(DriveRead::Recent), "W:"));
}

TEST_F(WindowTest, VolumeArrivalAndRemovalBecomeEvents) {
  DEV_BROADCAST_VOLUME volume = {};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << 4;
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
               reinterpret_cast<LPARAM>(&volume));
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
               reinterpret_cast<LPARAM>(&volume));
  DEV_BROADCAST_HDR port = {};
  port.dbch_size = sizeof port;
  port.dbch_devicetype = DBT_DEVTYP_PORT;
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
               reinterpret_cast<LPARAM>(&port));
  SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  // The window handles a volume message after the system's call returns.
  Pump([&] { return sink.events.size() >= 2; }, 3000);
  EXPECT_EQ(sink.Count("", Event::DeviceArrival), 1);
  EXPECT_EQ(sink.Count("", Event::DeviceRemoval), 1);
  EXPECT_EQ(sink.events.size(), 2u);
  for (const Recorded& e : sink.events)
    EXPECT_EQ(e.letters, DriveLetters(1u << 4)) << "E: only";
}

// Group Policy's announcement is the one setting change that is a policy
// change; others (a drive letter, the environment) are not.
TEST_F(WindowTest, ThePolicyAnnouncementIsAnEvent) {
  SendMessageW(hwnd, WM_SETTINGCHANGE, 0, 0);
  SendMessageW(hwnd, WM_SETTINGCHANGE, 0,
               reinterpret_cast<LPARAM>(L"Environment"));
  EXPECT_EQ(sink.Count("", Event::PolicyChange), 0);
  SendMessageW(hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
  EXPECT_EQ(sink.Count("", Event::PolicyChange), 1);
}

// A message box waits while timers keep ticking; the test answers it from a
// tick, as a user would click its button.
TEST_F(WindowTest, MessageBoxKeepsTimersTickingAndUsesTheAppTitle) {
  window->Show();
  Win32System system("Velmora");
  HWND box_owner = nullptr;
  std::wstring box_title;
  int ticks_seen = 0;
  WPARAM answer = IDYES;
  sink.on_event = [&](std::string_view control, Event event) {
    if (control != "tmr" || event != Event::Timer) return;
    if (++ticks_seen < 3) return;
    HWND box = FindWindowW(L"#32770", nullptr);
    if (!box) return;
    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    box_title = title;
    box_owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, answer, 0);
  };
  window->Control("tmr").SetRunning(true);
  EXPECT_EQ(system.MsgBox("Remove it?", kYesNoInformation, ""), kResultYes);
  EXPECT_GE(ticks_seen, 3);
  EXPECT_EQ(box_title, L"Velmora");
  EXPECT_EQ(box_owner, hwnd);

  ticks_seen = 0;
  answer = IDCANCEL;
  EXPECT_EQ(system.MsgBox("Error: 21: x", kOkCancelExclamation, "ERROR"),
            kResultCancel);
  EXPECT_EQ(box_title, L"ERROR");
  window->Control("tmr").SetRunning(false);
}

TEST(FactoryTest, QuitsWhenTheLastWindowCloses) {
  Win32WindowFactory factory;
  Recorder sink;
  auto first = factory.Create(kLayout, sink.Events());
  auto second = factory.Create(kLayout, sink.Events());
  EXPECT_EQ(factory.LiveWindows(), 2);
  first->Unload();
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  second->Unload();
  EXPECT_EQ(factory.LiveWindows(), 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FactoryTest, MessageLoopReturnsTheQuitCode) {
  PostQuitMessage(7);
  EXPECT_EQ(RunMessageLoop(), 7);
}

TEST(WidgetContractTest, Win32ControlsKeepTheContract) {
  Win32WindowFactory factory(false);
  contract::CheckWidgetContract(factory);
}

// RunLater runs its handler once from the window's timer; a later call
// replaces one that has not run.
TEST_F(WindowTest, RunLaterRunsOnceAndALaterCallReplacesIt) {
  int first = 0, second = 0;
  window->RunLater(std::chrono::milliseconds(10), [&] { ++first; });
  window->RunLater(std::chrono::milliseconds(10), [&] { ++second; });
  Pump([&] { return second > 0; }, 5000);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

}  // namespace
}  // namespace velmora::win32
