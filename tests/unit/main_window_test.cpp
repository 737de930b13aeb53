#include <gtest/gtest.h>

#include "app/frmremover.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"

namespace velmora {
namespace {

using fake::FakeSystem;
using fake::FakeWindowFactory;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('D').label = "DATA";
    system.AddDrive('E');
    system.SetCurrent('D');
  }
  fake::FakeWindow& Window() { return *windows.Get("frmremover"); }

  FakeSystem system;
  FakeWindowFactory windows;
  fake::FakeRegistry registry;
  fake::FakeFileTree files;
};

TEST_F(MainWindowTest, StartsWithCurrentDriveSelectedAndNothingRunning) {
  system.AddFile("D:\\autorun.inf", "", fake::kHidden | fake::kSystem);
  system.AddFile("D:\\readme.txt");
  Frmremover form(system, windows, registry, files);
  form.Load();

  EXPECT_TRUE(Window().Loaded());
  EXPECT_EQ(form.ForTest().Drive1.Drive(), "D:");
  EXPECT_EQ(form.ForTest().Drive1.ListCount(), 3);
  // The labels are read in a step once the window is on screen.
  EXPECT_EQ(Window().Get("Drive1").Rows(),
            (std::vector<std::string>{"C:", "D:", "E:"}));
  EXPECT_EQ(Window().Step(), 1);
  EXPECT_FALSE(Window().Stepping());
  EXPECT_EQ(Window().Get("Drive1").Rows(),
            (std::vector<std::string>{"C:", "D: [DATA]", "E:"}));
  EXPECT_EQ(form.ForTest().Drive1.Drive(), "D:");
  EXPECT_EQ(form.ForTest().File1.Path(), "D:");
  EXPECT_EQ(Window().Get("File1").Rows(),
            std::vector<std::string>{"autorun.inf"});
  EXPECT_TRUE(Window().Get("List1").Rows().empty());
  for (const char* box : {"Check1", "Check2", "Check3"})
    EXPECT_EQ(Window().Get(box).Value(), 0) << box;
  EXPECT_FALSE(Window().TimerEnabled("Timer1"));
  EXPECT_FALSE(Window().TimerEnabled("Timer2"));
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(MainWindowTest, LoadOnDriveThatIsNotReadyShowsPlatformErrorAndEnds) {
  system.Drive('D').ready = false;
  Frmremover form(system, windows, registry, files);
  form.Load();

  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "Run-time error '21':\n\nThe device is not ready.");
  EXPECT_TRUE(system.ended);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgram) {
  Frmremover form(system, windows, registry, files);
  form.Load();
  Window().Close();
  EXPECT_TRUE(system.ended);
}

}  // namespace
}  // namespace velmora
