// Takes the picture of the main window for the README: velmora.exe after a
// search over two infected drives, written as a BMP to VELMORA_SCREENSHOT.
#include <gtest/gtest.h>

#include <fstream>

#include "harness.h"

namespace e2e {
namespace {

// Copies the window's place on the screen into a 24-bit BMP file.
bool WriteScreenshot(HWND window, const std::string& path) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows, as BMP files store them
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::string pixels(stride * static_cast<size_t>(height), '\0');
  int rows =
      GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::ofstream out(Wide(path).c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

using Screenshot = OnEmptyDrives;

TEST_F(Screenshot, MainWindowAfterASearch) {
  std::string path = Env("VELMORA_SCREENSHOT");
  if (path.empty()) GTEST_SKIP() << "VELMORA_SCREENSHOT is not set";
  PutFile(
      "D:\\autorun.inf", "[autorun]\r\nopen=setup.exe\r\n",
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  PutFile("E:\\autorun.inf", "[autorun]\r\n", FILE_ATTRIBUTE_HIDDEN);

  App app("C:\\");
  ASSERT_TRUE(app.started());
  HWND search = app.Control("Button", "&Search && &Remove Autorun");
  ASSERT_TRUE(search);
  App::Click(search);
  // One line for each clean drive, three for each infected one.
  size_t drives = ComboRows(app.DriveCombo()).size();
  app.WaitLog(drives + 4);
  SetForegroundWindow(app.main());
  RedrawWindow(
      app.main(), nullptr, nullptr,
      RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Painted once the program has handled the redraw and the screen shows
  // the bare background right of the title.
  ASSERT_TRUE(app.Settle());
  const int x = TwipsToPixels(6000, DpiOf(app.main()));
  const int y = TwipsToPixels(300, DpiOf(app.main()));
  EXPECT_TRUE(WaitFor(
      [&] { return ScreenPixel(app.main(), x, y) == kBackground; }, 3000));
  EXPECT_TRUE(WriteScreenshot(app.main(), path)) << path;
}

}  // namespace
}  // namespace e2e
