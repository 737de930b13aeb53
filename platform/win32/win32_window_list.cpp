// The process's windows: the registry of top-level windows that every
// factory adds to, the factories themselves, and the message loop that gives
// those windows dialog keyboard handling.
#include <algorithm>

#include "platform/win32/win32_internal.h"

namespace velmora::win32 {

std::vector<HWND>& TopLevelWindows() {
  static std::vector<HWND> windows;
  return windows;
}

bool IsOurWindow(HWND hwnd) {
  const auto& windows = TopLevelWindows();
  return std::find(windows.begin(), windows.end(), hwnd) != windows.end();
}

// --- the factory ---

Win32WindowFactory::Win32WindowFactory(bool quit_when_last_closes)
    : quit_when_last_closes_(quit_when_last_closes) {}

Win32WindowFactory::~Win32WindowFactory() = default;

std::unique_ptr<Window> Win32WindowFactory::Create(const FormLayout& layout,
                                                   WindowEvents events) {
  return std::make_unique<Win32Window>(*this, layout, std::move(events));
}

void Win32WindowFactory::WindowDestroyed() {
  if (--live_ == 0 && quit_when_last_closes_) PostQuitMessage(0);
}

void* NativeHandle(Window& window) {
  auto* win32 = dynamic_cast<Win32Window*>(&window);
  return win32 ? win32->hwnd() : nullptr;
}

void* NativeHandle(Window& window, std::string_view control) {
  auto* win32 = dynamic_cast<Win32Window*>(&window);
  return win32 ? win32->Get(control).hwnd : nullptr;
}

int RunMessageLoop() {
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsOurWindow(root) && TakeContextMenuKey(msg)) continue;
    if (root && IsOurWindow(root) && IsDialogMessageW(root, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace velmora::win32
