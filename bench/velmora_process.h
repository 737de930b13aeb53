// The running velmora.exe as the benchmarks drive it from outside: started,
// its main window found, and its timers' ticks sent to that window the way
// the system delivers them (WM_TIMER with the timer's id).
#pragma once

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "app/frmremover.h"
#include "bench_common.h"

namespace bench {

inline const std::wstring kMainCaption = L"Kestrin - Velmora 2.0";

// The WM_TIMER id the window gives a timer: one more than the timer's place
// among the layout's controls.
inline WPARAM TimerId(std::string_view name) {
  const auto& controls = velmora::kFrmremoverLayout.controls;
  auto it = std::find_if(
      controls.begin(), controls.end(),
      [&](const velmora::ControlLayout& c) { return c.name == name; });
  return static_cast<WPARAM>(it - controls.begin()) + 1;
}

// Starts velmora.exe and waits for its main window; null (and the process
// ended) when it does not show. The pointer is moved off the window: under
// Wine a pointer over a themed button keeps a hover-tracking timer running.
inline HWND StartVelmora(const char* exe, PROCESS_INFORMATION& process,
                         const char* bench_name) {
  if (!Start(Widen(exe), process)) {
    std::printf("%s: cannot start %s\n", bench_name, exe);
    return nullptr;
  }
  HWND main = WaitShown(process.dwProcessId, kMainCaption, 30000);
  if (!main) {
    std::printf("%s: the main window did not show\n", bench_name);
    Stop(process, nullptr);
    return nullptr;
  }
  RECT frame = {};
  GetWindowRect(main, &frame);
  SetCursorPos(frame.right + 20, frame.bottom + 20);
  return main;
}

// Sends one message and waits for the window to have handled it; false when
// it did not answer within `timeout_ms`.
inline bool SendAndWait(HWND hwnd, UINT message, WPARAM wparam,
                        DWORD timeout_ms = 30000) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, message, wparam, 0, SMTO_NORMAL, timeout_ms,
                             &result) != 0;
}

// Clicks a check box of the window until it shows `checked`; false when it
// does not within a few seconds. The click is sent, not posted, so that its
// handler has run when this returns (a posted click could still be waiting
// behind a sent BM_GETCHECK on a busy window).
inline bool SetChecked(HWND box, bool checked) {
  const DWORD_PTR wanted = checked ? BST_CHECKED : BST_UNCHECKED;
  for (int clicks = 0;; ++clicks) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000,
                             &state))
      return false;
    if (state == wanted) return true;
    if (clicks == 2 || !SendAndWait(box, BM_CLICK, 0, 10000)) return false;
  }
}

}  // namespace bench
