// The baseline for the start-up benchmark: the least a Win32 program does to
// show one window. It registers a class, creates and shows the window, runs
// its message loop and exits when the window is closed (the benchmark driver
// closes it once it has seen it) or after a few seconds on its own.
#include <windows.h>

#include "bench/baseline_window.h"

namespace {

constexpr wchar_t kCaption[] = L"Velmora Bench Bare Window";
constexpr wchar_t kClass[] = L"VelmoraBenchBareWindow";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (!bench::RegisterBaselineClass(instance, kClass, COLOR_WINDOW + 1))
    return 1;
  HWND hwnd = CreateWindowExW(0, kClass, kCaption, WS_OVERLAPPEDWINDOW,
                              CW_USEDEFAULT, CW_USEDEFAULT, 420, 300, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  bench::ShowAndRun(hwnd, show);
  return 0;
}
