// A link named autorun.inf is removed as a link: the file it points to keeps
// its contents and its attributes. A junction named autorun.inf is a folder
// and stays. On the fake, a link is an entry with the reparse-point bit and
// a target path; the fake never follows it, so any change to the target
// would have to come from the program naming the target itself.
#include <gtest/gtest.h>

#include <memory>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/form_test.h"

namespace velmora {
namespace {

using fake::FakeSystem;
using fake::FakeWindowFactory;
using fake::Op;
using Lines = std::vector<std::string>;

constexpr unsigned kTargetAttributes =
    fake::kHidden | fake::kReadOnly | fake::kArchive;
constexpr char kTargetContents[] = "[autorun]\r\nopen=real.exe\r\n";

class LinkRemovalTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('E');
    system.SetCurrent('C');
    system.AddFile("C:\\real.txt", kTargetContents, kTargetAttributes);
    StartForm();
  }

  // A symbolic link E:\autorun.inf -> C:\real.txt, itself hidden and
  // read-only so that its own attributes must be cleared to delete it.
  void AddFileLink() {
    fake::FakeFile& link = system.AddFile(
        "E:\\autorun.inf", "",
        fake::kReparsePoint | fake::kHidden | fake::kReadOnly | fake::kArchive);
    link.link_target = "C:\\real.txt";
  }
  void ExpectTargetUntouched() {
    const fake::FakeFile* target = system.Find("C:\\real.txt");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->attributes, kTargetAttributes);
    EXPECT_EQ(target->contents, kTargetContents);
    EXPECT_EQ(target->name, "real.txt");
  }
};

TEST_F(LinkRemovalTest, SilentSearchDeletesTheLinkAndLeavesItsTarget) {
  AddFileLink();
  W().Click("cmdremove");
  EXPECT_EQ(Log(), (Lines{"Autorun does not exists in C:\\autorun.inf",
                          "Autorun Found in: E:\\autorun.inf",
                          "Removing from: E:\\autorun.inf",
                          "Autorun Removed from: E:\\autorun.inf"}));
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  ExpectTargetUntouched();
  EXPECT_EQ(system.calls(Op::Kill), 1);
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(LinkRemovalTest, ConfirmedSearchDeletesTheLinkAndLeavesItsTarget) {
  AddFileLink();
  W().Click("Check3");
  system.Answer(kResultYes);
  W().Click("cmdremove");
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "Do You Want to Remove Autorun in E:\\autorun.inf");
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  ExpectTargetUntouched();
}

TEST_F(LinkRemovalTest, LinkAnsweredNoKeepsTheLinkAndTheTargetsAttributes) {
  AddFileLink();
  W().Click("Check3");
  W().Click("cmdremove");  // answered No
  const fake::FakeFile* link = system.Find("E:\\autorun.inf");
  ASSERT_NE(link, nullptr);
  // The link's own attributes were cleared; it is still a link.
  EXPECT_EQ(link->attributes, fake::kReparsePoint);
  EXPECT_EQ(link->link_target, "C:\\real.txt");
  ExpectTargetUntouched();
}

TEST_F(LinkRemovalTest, TimerTickDeletesTheLinkAndLeavesItsTarget) {
  W().Click("Check2");
  AddFileLink();
  W().Tick("Timer1");
  EXPECT_EQ(Log(), Lines{"Autorun Removed from: E:\\autorun.inf"});
  EXPECT_FALSE(system.Has("E:\\autorun.inf"));
  ExpectTargetUntouched();
  W().Tick("Timer1");
  EXPECT_EQ(Log(), Lines{"Autorun Removed from: E:\\autorun.inf"});
  ExpectTargetUntouched();
}

TEST_F(LinkRemovalTest, JunctionNamedAutorunIsAFolderAndStays) {
  system.AddFile("C:\\stuff", "", fake::kDirectory);
  system.AddFile("C:\\stuff\\inside.txt", "inside", fake::kArchive);
  fake::FakeFile& junction =
      system.AddFile("E:\\autorun.inf", "",
                     fake::kDirectory | fake::kReparsePoint | fake::kHidden);
  junction.link_target = "C:\\stuff";
  W().Click("cmdremove");
  W().Click("Check2");
  W().Tick("Timer1");
  EXPECT_EQ(Log(), (Lines{"Autorun does not exists in C:\\autorun.inf",
                          "Autorun does not exists in E:\\autorun.inf"}));
  const fake::FakeFile* kept = system.Find("E:\\autorun.inf");
  ASSERT_NE(kept, nullptr);
  // Its own hidden bit is cleared, as for any folder named so; it stays a
  // junction, and the folder it points to keeps what it holds.
  EXPECT_EQ(kept->attributes, fake::kDirectory | fake::kReparsePoint);
  EXPECT_EQ(system.calls(Op::Kill), 0);
  ASSERT_TRUE(system.Has("C:\\stuff\\inside.txt"));
  EXPECT_EQ(system.Find("C:\\stuff\\inside.txt")->contents, "inside");
  ExpectTargetUntouched();
}

}  // namespace
}  // namespace velmora
