// What the start-up baselines share: a window class whose window closes
// itself after a few seconds (the benchmark driver closes it sooner, once it
// has seen it) and ends the message loop, and that loop.
#pragma once

#include <windows.h>

namespace bench {

inline constexpr UINT_PTR kGiveUpTimer = 1;
inline constexpr UINT kGiveUpMs = 5000;

inline LRESULT CALLBACK BaselineWindowProc(HWND hwnd, UINT message,
                                           WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Registers the class `name` with `background` (a COLOR_ index + 1).
inline bool RegisterBaselineClass(HINSTANCE instance, const wchar_t* name,
                                  int background) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = BaselineWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground =
      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background));
  window_class.lpszClassName = name;
  return RegisterClassExW(&window_class) != 0;
}

// Shows `hwnd`, starts its give-up timer and runs the loop until it closes.
inline void ShowAndRun(HWND hwnd, int show) {
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  SetTimer(hwnd, kGiveUpTimer, kGiveUpMs, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace bench
