// The baseline for the start-up benchmark: the least a Win32 program does to
// show one window. It registers a class, creates and shows the window, runs
// its message loop and exits when the window is closed (the benchmark driver
// closes it once it has seen it) or after a few seconds on its own.
#include <windows.h>

namespace {

constexpr wchar_t kCaption[] = L"Velmora Bench Bare Window";
constexpr UINT_PTR kGiveUpTimer = 1;
constexpr UINT kGiveUpMs = 5000;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                            LPARAM lparam) {
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"VelmoraBenchBareWindow";
  if (!RegisterClassExW(&window_class)) return 1;

  HWND hwnd = CreateWindowExW(0, window_class.lpszClassName, kCaption,
                              WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              420, 300, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  SetTimer(hwnd, kGiveUpTimer, kGiveUpMs, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
