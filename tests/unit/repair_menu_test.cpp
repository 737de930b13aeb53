// Repair Hidden Files from the main window's menus, on the fake platform:
// the item names the selected drive, runs in the window's steps, and stops
// when the window closes.
#include <gtest/gtest.h>

#include "repair/repair_texts.h"
#include "tests/unit/form_test.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

constexpr char kRepairE[] = "Repair Hidden Files on E:\xE2\x80\xA6";

class RepairMenuTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('E');
    system.SetCurrent('E');
    // A stick as a shortcut worm leaves it: the user's folder hidden under
    // an invisible name, a shortcut starting the worm in its place.
    files.AddDrive('E');
    const std::string user = std::string("E:\\") + kNbsp;
    files.AddFolder(user, kHiddenSystemFolder);
    files.AddFile(user + "\\notes.txt", "notes", kHiddenSystem);
    files.AddFolder("E:\\_", kHiddenSystemFolder);
    files.AddFile("E:\\_\\x.dll", "MZ worm", kHiddenSystem);
    files.AddFile(
        "E:\\Photos.lnk",
        LinkTo("C:\\Windows\\System32\\rundll32.exe", "_\\x.dll,Run"));
    StartForm();
  }
  const MenuCommand* Repair() {
    items = W().MenuItems();
    for (const MenuCommand& item : items) {
      if (item.text.starts_with("Repair Hidden Files")) return &item;
    }
    return nullptr;
  }
  std::vector<MenuCommand> items;
};

TEST_F(RepairMenuTest, TheItemNamesTheSelectedDriveAndRepairsItInSteps) {
  const MenuCommand* item = Repair();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text, kRepairE);
  EXPECT_FALSE(item->greyed);
  system.Answer(kResultYes);
  ASSERT_TRUE(W().ChooseMenuItem(kRepairE));
  ASSERT_TRUE(W().Stepping());
  // While it runs, the item is greyed.
  item = Repair();
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->greyed);
  EXPECT_GT(W().Step(), 0);
  EXPECT_FALSE(W().Stepping());
  EXPECT_FALSE(files.Exists("E:\\Photos.lnk"));
  EXPECT_TRUE(files.Exists("E:\\Recovered files\\notes.txt"));
  EXPECT_EQ(
      files.AttributesOf("E:\\Recovered files\\notes.txt") & kHiddenSystem, 0u);
  EXPECT_EQ(files.ContentsOf("E:\\_\\x.dll"), "MZ worm");  // left in place
  const Lines log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_TRUE(log.back().starts_with("Repair of E: done:")) << log.back();
  EXPECT_FALSE(system.ended);
}

TEST_F(RepairMenuTest, ClosingTheWindowStopsTheRepair) {
  system.Answer(kResultYes);
  ASSERT_TRUE(W().ChooseMenuItem(kRepairE));
  W().Close();
  EXPECT_TRUE(system.ended);
  W().Step();
  // Closed before the question was asked: nothing on the stick changed.
  EXPECT_TRUE(files.Exists("E:\\Photos.lnk"));
  EXPECT_TRUE(system.boxes.empty());
}

}  // namespace
}  // namespace velmora
