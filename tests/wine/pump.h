// Runs the test thread's message queue, as the program's message loop would.
#pragma once

#include <windows.h>

#include <functional>

namespace velmora::win32 {

// Handles what is queued; with `until`, waits up to `limit_ms` for it.
inline void Pump(const std::function<bool()>& until = nullptr,
                 int limit_ms = 0) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(limit_ms);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (until && until()) return;
    if (limit_ms > 0)
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount64() < end);
}

}  // namespace velmora::win32
