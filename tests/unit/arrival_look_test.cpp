// The look at an arrived drive's root: worm shortcuts counted by the
// repair's rules, nothing changed, and the bound on root entries.
#include "repair/arrival_look.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {
namespace {

class ArrivalLookTest : public RepairTest {
 protected:
  ArrivalLook Look() { return LookAtArrival(tree, "E:", Utf8); }
};

TEST_F(ArrivalLookTest,
       CountsTheWormShortcutsOfAnInfectedStickChangingNothing) {
  MakeInfectedStick();
  const auto before = tree.Snapshot();
  const ArrivalLook look = Look();
  EXPECT_EQ(look.worm_shortcuts, 2u);  // Photos.lnk and USB DISK.lnk
  EXPECT_FALSE(look.cut_short);
  EXPECT_EQ(tree.Snapshot(), before);
  EXPECT_TRUE(Changes().empty());
  for (const std::string& call : tree.calls)
    EXPECT_TRUE(call == "List E:\\" || call.ends_with(".lnk")) << call;
}

// One shortcut in an otherwise clean root, each case on a fresh stick: the
// root's listing tells what is hidden, and a shortcut that cannot be read is
// none. (Which shortcut is the worm's is the worm rules' tests'.)
TEST_F(ArrivalLookTest, AShortcutIsTheWormsOnlyByTheRepairsRule) {
  const std::string blank = std::string("E:\\") + kNbsp;
  const struct {
    const char* what;
    std::string link;
    std::string program;               // made where not empty
    std::uint32_t program_attributes;  // of the program
    bool unreadable;                   // the shortcut fails to read
    std::size_t worms;
  } cases[] = {
      {"starts a command interpreter with nothing hidden",
       LinkTo("C:\\Windows\\cmd.exe", "/c x"), "", 0, false, 0},
      {"starts a command interpreter on a hidden program",
       LinkTo("C:\\Windows\\cmd.exe", "/c E:\\x.exe"), "E:\\x.exe",
       kHiddenSystem, false, 1},
      {"starts a visible program of the root", LinkTo("E:\\x.exe"), "E:\\x.exe",
       kAttributeArchive, false, 0},
      {"starts a program in a blank-named folder", LinkTo(blank + "\\x.exe"),
       blank + "\\x.exe", kAttributeArchive, false, 1},
      {"starts a library hidden in a visible folder",
       LinkTo("C:\\Windows\\rundll32.exe", "E:\\RECYCLER.BIN\\w.dll,Run"),
       "E:\\RECYCLER.BIN\\w.dll", kHiddenSystem, false, 1},
      {"starts a visible program of a visible folder",
       LinkTo("E:\\Tools\\x.exe"), "E:\\Tools\\x.exe", kAttributeArchive, false,
       0},
      {"is not a shortcut at all", "not a shortcut at all", "", 0, false, 0},
      {"fails to read", LinkTo("C:\\Windows\\cmd.exe"), "", 0, true, 0},
  };
  for (const auto& c : cases) {
    fake::FakeFileTree stick;
    stick.AddDrive('E');
    stick.AddFile("E:\\Stick.lnk", c.link);
    if (ParentPath(c.program).size() > 3)
      stick.AddFolder(ParentPath(c.program));
    if (!c.program.empty())
      stick.AddFile(c.program, "MZ", c.program_attributes);
    if (c.unreadable)
      stick.Fail(fake::TreeOp::Read, "E:\\Stick.lnk", fake::MakeError(5));
    EXPECT_EQ(LookAtArrival(stick, "E:", Utf8).worm_shortcuts, c.worms)
        << c.what;
  }
}

// A root beyond the bound: its first entries are looked at, the rest not
// even listed, and the look says it was cut short.
TEST_F(ArrivalLookTest, AHugeRootIsLookedAtUpToTheBoundAndSaysSo) {
  tree.AddDrive('E');
  for (std::size_t i = 0; i < 3 * kLookEntries; ++i)
    tree.AddFile("E:\\f" + std::to_string(i) + ".txt");
  // Beyond the bound, in the order the file system lists them.
  tree.AddFile("E:\\~worm.lnk", LinkTo("C:\\Windows\\cmd.exe"));
  const ArrivalLook look = Look();
  EXPECT_TRUE(look.cut_short);
  EXPECT_EQ(look.worm_shortcuts, 0u);
  EXPECT_LE(tree.entries_listed, kLookEntries + 1);
  EXPECT_EQ(LookCutShortLine(look),
            "Shortcut worm look cut short on: E:\\ (only the first 4096 root "
            "entries looked at)");
}

TEST_F(ArrivalLookTest, TheLogLineNamesTheRootAndTheCount) {
  ArrivalLook look;
  look.drive = "F:";
  look.worm_shortcuts = 1;
  EXPECT_EQ(WormFoundLine(look),
            "Shortcut Worm Found on: F:\\ (1 worm shortcut; Repair Hidden "
            "Files on F: gives the hidden files back)");
  look.worm_shortcuts = 3;
  EXPECT_TRUE(WormFoundLine(look).starts_with(
      "Shortcut Worm Found on: F:\\ (3 worm shortcuts;"));
}

}  // namespace
}  // namespace velmora
