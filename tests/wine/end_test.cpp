// End ends the process at once. The test runs itself again as a child that
// opens windows and calls End, and watches what the child leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/win32_platform.h"
#include "tests/wine/child_process.h"

namespace velmora::win32 {
namespace {

constexpr ControlLayout kControls[] = {
    {"btn", ControlKind::Button, "OK", 120, 120, 1200, 375, 0},
};
constexpr FormLayout kLayout = {"endform", "End", 0x00C0FFC0, {},
                                3000,      2000,  1,          kControls};

void Note(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::app) << text << "\n";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The child's part: two windows, then End, which must not return.
void RunChild(const std::string& marker) {
  Win32System system("Velmora");
  Win32WindowFactory factory;
  auto first = factory.Create(kLayout, {});
  auto second = factory.Create(kLayout, {});
  first->Control("btn").SetHandler([] {});
  first->Show();
  Note(marker, "windows " + std::to_string(factory.LiveWindows()));
  system.End();
  Note(marker, "End returned");
}

TEST(EndTest, EndsTheProcessAtOnceWithExitCodeZero) {
  if (const char* marker = std::getenv("VELMORA_END_CHILD")) {
    RunChild(marker);
    FAIL() << "End returned";
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string marker =
      Narrow(temp) + "velmora-end-" + std::to_string(GetCurrentProcessId());
  DeleteFileW(Widen(marker).c_str());

  ASSERT_EQ(testing::RunSelf(L"EndTest.EndsTheProcessAtOnce*",
                             L"VELMORA_END_CHILD", Widen(marker)),
            0);
  EXPECT_EQ(ReadAll(marker), "windows 2\n");
  DeleteFileW(Widen(marker).c_str());
}

}  // namespace
}  // namespace velmora::win32
