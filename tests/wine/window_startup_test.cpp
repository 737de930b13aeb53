// The main window is made in one pass: at its final size, centred, with
// every control at its place, before it is first shown. Nothing is moved or
// sized after it was made, except the drive list, whose height is the
// dropped list's once its field has settled.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/frmremover.h"
#include "platform/win32/win32_internal.h"
#include "tests/wine/window_helpers.h"

namespace velmora::win32 {
namespace {

using testing::H;

// The windows moved or sized on this thread while a recorder lives.
std::vector<HWND>* moved = nullptr;

LRESULT CALLBACK NoteMove(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && moved && message->message == WM_WINDOWPOSCHANGING) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(message->lParam);
    constexpr UINT kNeither = SWP_NOMOVE | SWP_NOSIZE;
    if ((pos->flags & kNeither) != kNeither) moved->push_back(message->hwnd);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

class MoveRecorder {
 public:
  MoveRecorder()
      : hook_(SetWindowsHookExW(WH_CALLWNDPROC, NoteMove, nullptr,
                                GetCurrentThreadId())) {
    moved = &windows;
  }
  ~MoveRecorder() {
    moved = nullptr;
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  MoveRecorder(const MoveRecorder&) = delete;
  MoveRecorder& operator=(const MoveRecorder&) = delete;
  bool hooked() const { return hook_ != nullptr; }

  std::vector<HWND> windows;

 private:
  HHOOK hook_;
};

TEST(WindowStartupTest, NothingButTheDriveListMovesAfterItWasMade) {
  Win32WindowFactory factory{false};
  MoveRecorder recorder;
  ASSERT_TRUE(recorder.hooked());
  auto window = factory.Create(kFrmremoverLayout, {});
  HWND main = H(NativeHandle(*window));
  ASSERT_NE(main, nullptr);
  HWND drives = H(NativeHandle(*window, "Drive1"));
  COMBOBOXINFO parts = {};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(drives, &parts));

  EXPECT_FALSE(IsWindowVisible(main));
  for (HWND hwnd : recorder.windows) {
    if (hwnd == drives || hwnd == parts.hwndList || hwnd == parts.hwndItem)
      continue;
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    ADD_FAILURE() << "moved or sized after it was made: "
                  << Narrow(text).c_str() << (hwnd == main ? " (window)" : "");
  }
}

TEST(WindowStartupTest, IsCentredOnItsMonitorsWorkAreaBeforeItShows) {
  Win32WindowFactory factory{false};
  auto window = factory.Create(kFrmremoverLayout, {});
  HWND main = H(NativeHandle(*window));
  ASSERT_NE(main, nullptr);
  RECT rect;
  GetWindowRect(main, &rect);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY),
                              &monitor));
  const RECT& work = monitor.rcWork;
  const long width = rect.right - rect.left, height = rect.bottom - rect.top;
  EXPECT_EQ(rect.left,
            work.left + std::max(0L, (work.right - work.left - width) / 2));
  EXPECT_EQ(rect.top,
            work.top + std::max(0L, (work.bottom - work.top - height) / 2));
}

// A self-sizing label is measured before it exists as it is after.
TEST(WindowStartupTest, LabelsAreMadeAsLargeAsTheirText) {
  Win32WindowFactory factory{false};
  auto window = factory.Create(kFrmremoverLayout, {});
  HWND title = H(NativeHandle(*window, "Label1"));
  ASSERT_NE(title, nullptr);
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0));
  const SIZE text = LabelTextSize(font, WindowText(title), true);
  RECT client;
  GetClientRect(title, &client);
  EXPECT_GT(text.cx, 0);
  EXPECT_EQ(client.right, text.cx);
  EXPECT_EQ(client.bottom, text.cy);
}

}  // namespace
}  // namespace velmora::win32
