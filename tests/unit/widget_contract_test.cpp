// The control contract on the fake backend; the Wine tests run the same
// checks on the Win32 controls.
#include "tests/common/widget_contract.h"

#include "platform/fake/fake_platform.h"

namespace velmora {
namespace {

TEST(WidgetContractTest, FakeControlsKeepTheContract) {
  fake::FakeWindowFactory windows;
  contract::CheckWidgetContract(windows);
}

TEST(DriveLettersTest, NamesTheDrivesOfTheUnitMask) {
  const DriveLetters letters((1u << 3) | (1u << 25));  // D: and Z:
  EXPECT_TRUE(letters.Has("D:"));
  EXPECT_TRUE(letters.Has("d:"));
  EXPECT_TRUE(letters.Has("Z:"));
  EXPECT_FALSE(letters.Has("C:"));
  EXPECT_FALSE(letters.Has("D"));
  EXPECT_FALSE(letters.Has(""));
  EXPECT_FALSE(letters.Has("1:"));
  // Bits past Z: name no drive.
  EXPECT_EQ(DriveLetters(0xFC000000u).mask(), 0u);
}

}  // namespace
}  // namespace velmora
