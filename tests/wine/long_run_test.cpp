// A long run on the real backend: the main window as the program makes it
// (a real Win32 window with its drive list and log), both options on, and
// thousands of Timer1 and Timer2 ticks delivered as WM_TIMER messages while
// autorun.inf files keep appearing on the test drives. Kernel handles, GDI
// objects and USER objects of the process must not grow tick by tick.
//
// Counting them: GetProcessHandleCount and GetGuiResources where they
// answer. Wine 8 answers neither (0 handles; ERROR_CALL_NOT_IMPLEMENTED), so
// there the kernel handles are counted in NtQuerySystemInformation's
// handle list, the GDI objects in the process's GDI handle table (the PEB's
// GdiSharedHandleTable, which Wine keeps per process), and the USER
// objects as the process's windows (icons and menus are not seen that way).
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_registry.h"
#include "platform/win32/win32_platform.h"
#include "tests/common/autorun_lines.h"
#include "tests/wine/test_drives.h"

namespace velmora::win32 {
namespace {

constexpr int kTicks = 2000;
constexpr int kWarmUp = 200;
constexpr int kFileEvery = 25;  // ticks between two new autorun.inf
// Growth allowed between the sample after warm-up and the last one: a
// system object or two that the system itself may cache late.
constexpr long kSlack = 2;

struct Counts {
  long handles = -1, gdi = -1, user = -1;
};

long KernelHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
    return static_cast<long>(count);
  // SYSTEM_HANDLE_INFORMATION (class 16): a count, then one entry per
  // handle of the system, each naming its process.
  struct Entry {
    USHORT pid, creator;
    UCHAR type, attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query =
      reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(
          GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<char> buffer(1 << 18);
  for (;;) {
    ULONG length = 0;
    const LONG status =
        query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
    if (status == static_cast<LONG>(0xC0000004)) {  // info length mismatch
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0) return -1;
    break;
  }
  const ULONG total = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 8);
  const auto me = static_cast<USHORT>(GetCurrentProcessId());
  long mine = 0;
  for (ULONG i = 0; i < total; ++i) mine += entries[i].pid == me;
  return mine;
}

long GdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
    return static_cast<long>(n);
#if defined(_WIN64)
  // GDI handle table entries are 24 bytes; a live one has a type.
  struct Entry {
    ULONGLONG object;
    USHORT pid, count, unique;
    UCHAR type, flags;
    ULONGLONG user;
  };
  static_assert(sizeof(Entry) == 24);
  // The PEB's address from the process's basic information (reading it
  // from the TEB through gs trips the compiler's bounds checking).
  using QueryProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static const auto query =
      reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(GetProcAddress(
          GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr))
    return -1;
  const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
  const auto* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);
  if (!table) return -1;
  long live = 0;
  for (int i = 0; i < 0x10000; ++i) live += table[i].type != 0;
  return live;
#else
  return -1;
#endif
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(hwnd, CountChild, count);
  return TRUE;
}

long UserObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
    return static_cast<long>(n);
  long windows = 0;
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The drive queries run on worker threads, and one still in flight holds
// the system's handles for a moment; the least of a few counts taken over
// 100 ms is what the process keeps. A leak raises that floor too.
Counts Sample() {
  Counts least = {KernelHandles(), GdiObjects(), UserObjects()};
  for (int i = 0; i < 10; ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    least.handles = std::min(least.handles, KernelHandles());
    least.gdi = std::min(least.gdi, GdiObjects());
    least.user = std::min(least.user, UserObjects());
  }
  return least;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The WM_TIMER id the window gives a timer: one more than the timer's
// place among the layout's controls.
UINT_PTR TimerId(std::string_view name) {
  const auto& controls = kFrmremoverLayout.controls;
  auto it =
      std::find_if(controls.begin(), controls.end(),
                   [&](const ControlLayout& c) { return c.name == name; });
  return static_cast<UINT_PTR>(it - controls.begin()) + 1;
}

TEST(LongRunTest, TicksAndRefreshesKeepHandlesAndGuiObjectsFlat) {
  const std::vector<std::string> drives = test_drives::Entries();
  if (drives.size() < 3) GTEST_SKIP() << "VELMORA_TEST_DRIVES names < 3";
  for (const auto& drive : drives) {
    EmptyDrive(drive);
    MakeFile(drive + "\\keep.txt", "bystander " + drive, FILE_ATTRIBUTE_HIDDEN);
  }
  SetCurrentDirectoryW(L"C:\\");
  Win32System real("Velmora");
  test_drives::DrivesOnly system(real, drives);
  Win32WindowFactory factory(false);
  fake::FakeRegistry registry;
  fake::FakeFileTree files;
  Frmremover form(system, factory, registry, files);
  form.Load();
  Window& window = form.ForTest().window;
  HWND hwnd = static_cast<HWND>(NativeHandle(window));
  ASSERT_NE(hwnd, nullptr);
  for (const char* check : {"Check1", "Check2"}) {
    HWND box = static_cast<HWND>(NativeHandle(window, check));
    SendMessageW(box, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED) << check;
  }
  const UINT_PTR timer1 = TimerId("Timer1"), timer2 = TimerId("Timer2");
  HWND log = static_cast<HWND>(NativeHandle(window, "List1"));

  std::vector<std::string> expected;
  Counts warm;
  for (int tick = 0; tick < kTicks; ++tick) {
    if (tick % kFileEvery == 0) {
      const std::string& drive = drives[(tick / kFileEvery) % drives.size()];
      static constexpr DWORD kAttributes[] = {
          FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
          FILE_ATTRIBUTE_READONLY};
      MakeFile(autorun_lines::PathOn(drive), "[autorun]",
               kAttributes[(tick / kFileEvery) % 3]);
      expected.push_back(autorun_lines::Removed(autorun_lines::PathOn(drive)));
    }
    SendMessageW(hwnd, WM_TIMER, timer2, 0);
    SendMessageW(hwnd, WM_TIMER, timer1, 0);
    Pump();
    if (tick == 0) {
      ASSERT_EQ(SendMessageW(log, LB_GETCOUNT, 0, 0), 1)
          << "the first WM_TIMER of Timer1 removed nothing";
    }
    if (tick == kWarmUp) warm = Sample();
  }
  const Counts end = Sample();
  // Each counter does see one more object of its kind.
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HWND extra = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, hwnd,
                               nullptr, nullptr, nullptr);
  const Counts more = Sample();
  EXPECT_GE(more.handles - end.handles, 1);
  EXPECT_GE(more.gdi - end.gdi, 1);
  EXPECT_GE(more.user - end.user, 1);
  DestroyWindow(extra);
  DeleteObject(brush);
  CloseHandle(event);

  const LRESULT lines = SendMessageW(log, LB_GETCOUNT, 0, 0);
  ASSERT_EQ(lines, static_cast<LRESULT>(expected.size()));
  for (int i = 0; i < lines; ++i)
    ASSERT_EQ(window.Control("List1").Rows().at(static_cast<size_t>(i)),
              expected[static_cast<size_t>(i)])
        << i;
  for (const auto& drive : drives) {
    EXPECT_EQ(GetFileAttributesW(Widen(drive + "\\autorun.inf").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(Widen(drive + "\\keep.txt").c_str()) &
                  FILE_ATTRIBUTE_HIDDEN,
              0u);
  }

  ASSERT_GT(warm.handles, 0) << "no way to count kernel handles";
  ASSERT_GT(warm.gdi, 0) << "no way to count GDI objects";
  ASSERT_GT(warm.user, 0) << "no way to count USER objects";
  EXPECT_LE(end.handles - warm.handles, kSlack)
      << warm.handles << " kernel handles after warm-up, " << end.handles
      << " at the end";
  EXPECT_LE(end.gdi - warm.gdi, kSlack)
      << warm.gdi << " GDI objects after warm-up, " << end.gdi << " at the end";
  EXPECT_LE(end.user - warm.user, kSlack)
      << warm.user << " USER objects after warm-up, " << end.user
      << " at the end";
  RecordProperty("kernel_handles", std::to_string(warm.handles) + " -> " +
                                       std::to_string(end.handles));
  RecordProperty("gdi_objects",
                 std::to_string(warm.gdi) + " -> " + std::to_string(end.gdi));
  RecordProperty("user_objects",
                 std::to_string(warm.user) + " -> " + std::to_string(end.user));
  window.Unload();
  for (const auto& drive : drives) EmptyDrive(drive);
}

}  // namespace
}  // namespace velmora::win32
