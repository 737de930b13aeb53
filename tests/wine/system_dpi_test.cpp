// The DPI taken where Windows has no DPI per window: the system's (or the
// monitor's), not 96. The test runs itself again as a child that starts
// with the system set to 144 dpi, as a user's display setting would.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "app/frmremover.h"
#include "platform/win32/win32_internal.h"
#include "tests/wine/child_process.h"
#include "tests/wine/window_helpers.h"

namespace velmora::win32 {
namespace {

constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";
constexpr wchar_t kChildVariable[] = L"VELMORA_SYSTEM_DPI_CHILD";
constexpr DWORD kSystemDpi = 144;

// The child's part, in a process that started at 144 dpi.
void CheckInChild() {
  HDC screen = GetDC(nullptr);
  const int screen_dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(screen_dpi, static_cast<int>(kSystemDpi));

  Win32WindowFactory factory{false};
  auto window = testing::WindowWithoutEvents(factory, kFrmremoverLayout);
  const HWND hwnd = testing::H(NativeHandle(*window));
  EXPECT_EQ(SystemDpi(hwnd), kSystemDpi);
  EXPECT_EQ(SystemDpi(nullptr), kSystemDpi);
  EXPECT_EQ(DpiOf(hwnd), kSystemDpi);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, MulDiv(kFrmremoverLayout.inner_width, 144, 1440));
}

TEST(SystemDpiTest, IsTheSystemsDpiNotTheDefault) {
  if (std::getenv("VELMORA_SYSTEM_DPI_CHILD")) return CheckInChild();
  DWORD saved = 0, size = sizeof saved;
  const bool had =
      RegGetValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels, RRF_RT_REG_DWORD,
                   nullptr, &saved, &size) == ERROR_SUCCESS;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels, REG_DWORD,
                            &kSystemDpi, sizeof kSystemDpi),
            ERROR_SUCCESS);
  const long code = testing::RunSelf(L"SystemDpiTest.*", kChildVariable, L"1");
  if (had)
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels, REG_DWORD, &saved,
                    sizeof saved);
  else
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, kLogPixels);
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace velmora::win32
