// The drive repair on real files through the Win32 file tree: infected
// drives built over fixed seeds are scanned, planned and repaired, and
// every entry of the drive is compared with what it must be. Also reads the
// shortcuts that the shell's own IShellLinkW wrote with the project's
// reader.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"
#include "repair/repair_plan.h"
#include "repair/repair_run.h"
#include "repair/repair_scan.h"
#include "repair/shell_link.h"
#include "tests/wine/infected_drive.h"
#include "tests/wine/test_drives.h"
#include "tests/wine/test_files.h"

namespace velmora::win32 {
namespace {

using Entries = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr char kRundll32[] = "C:\\windows\\system32\\rundll32.exe";
constexpr char kWscript[] = "C:\\windows\\system32\\wscript.exe";

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(c));
  return text;
}

class RepairWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<std::string> drives = test_drives::Entries();
    if (drives.size() < 3) GTEST_SKIP() << "VELMORA_TEST_DRIVES names < 3";
    drive = drives[2];
    root = drive + "\\";
    EmptyDrive(drive);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    com = true;
  }
  void TearDown() override {
    if (!drive.empty()) EmptyDrive(drive);
    if (com) CoUninitialize();
  }

  // The user's drive first, then what the worm does to it.
  void Infect(unsigned seed) {
    std::mt19937 rng(seed);
    MakeUserTree(rng, root, 1, &user_items);
    MakeFile(root + "Manual.txt", "read me");
    SaveShellLink(root + "Manual.lnk", root + "Manual.txt", "", root);
    MakeFolder(root + "System Volume Information");
    MakeFile(root + "System Volume Information\\IndexerVolumeGuid", "{1}",
             kHiddenSystem);
    MakeFolder(root + "$RECYCLE.BIN");
    MakeFile(root + "$RECYCLE.BIN\\desktop.ini", "[.ShellClassInfo]",
             kHiddenSystem);
    for (const char* folder : {"System Volume Information", "$RECYCLE.BIN"})
      MakeFolder(root + folder, FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
    user_view = Snapshot(drive);

    const std::string user = root + kNbspName;
    MakeFolder(user);
    for (const std::string& item : user_items) {
      const std::string moved = user + "\\" + item;
      ASSERT_TRUE(MoveFileW(Widen(root + item).c_str(), Widen(moved).c_str()))
          << item;
      if (rng() % 2)
        SetFileAttributesW(Widen(moved).c_str(),
                           Attributes(moved) | kHiddenSystem);
    }
    MakeFolder(user, FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
    MakeFolder(root + "_");
    MakeFile(root + "_\\x.dll", "MZ worm library", kHiddenSystem);
    MakeFile(root + "_\\run.vbs", "CreateObject(\"WScript.Shell\")",
             kHiddenSystem);
    MakeFolder(root + "_", FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
    std::vector<std::string> names = user_items;
    names.push_back("USB DISK");
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string path = root + names[i] + ".lnk";
      if ((i + rng()) % 2)
        SaveShellLink(path, kRundll32, "\"" + root + "_\\x.dll\",Main",
                      "C:\\windows\\system32");
      else
        SaveShellLink(path, kWscript, "\"" + root + "_\\run.vbs\"", "");
      shortcuts.push_back(names[i] + ".lnk");
    }
  }

  // What the drive must hold after the repair: the infected drive without
  // the worm's shortcuts, and the user's entries, under "Recovered files",
  // as they were before the worm.
  Entries Expected(const Entries& infected) const {
    Entries expected;
    const std::string user = std::string(kNbspName);
    for (const auto& [key, value] : infected) {
      if (std::find(shortcuts.begin(), shortcuts.end(), key) != shortcuts.end())
        continue;
      if (key == user) {
        expected["Recovered files"] =
            std::to_string(FILE_ATTRIBUTE_DIRECTORY) + "|";
      } else if (key.starts_with(user + "\\")) {
        const std::string original = key.substr(user.size() + 1);
        expected["Recovered files\\" + original] = user_view.at(original);
      } else {
        expected[key] = value;
      }
    }
    return expected;
  }

  Lines Repair() {
    Win32FileTree tree;
    Win32System system("test");
    RepairScan scan(tree, drive, [&system](std::string_view ansi) {
      return system.AnsiToUtf8(ansi);
    });
    while (scan.Step()) {
    }
    EXPECT_FALSE(scan.findings().root_error.failed());
    RepairRun run(tree, BuildPlan(scan.findings()));
    Lines lines;
    while (run.Step(50, lines)) {
    }
    EXPECT_EQ(run.failures(), 0u) << testing::PrintToString(lines);
    return lines;
  }

  std::string drive, root;
  bool com = false;
  std::vector<std::string> user_items, shortcuts;
  Entries user_view;
};

class RepairSeedTest : public RepairWineTest,
                       public ::testing::WithParamInterface<unsigned> {};

TEST_P(RepairSeedTest, GivesBackEveryUserFileAndTouchesNothingElse) {
  Infect(GetParam());
  if (HasFatalFailure()) return;
  ASSERT_FALSE(user_items.empty());
  const Entries infected = Snapshot(drive);
  ASSERT_NE(Expected(infected), infected);
  const Lines lines = Repair();
  const Entries after = Snapshot(drive);
  EXPECT_EQ(after, Expected(infected));
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().starts_with(
      "Repair of " + drive + " done: " + std::to_string(shortcuts.size()) +
      " worm shortcuts deleted"))
      << lines.back();
}

INSTANTIATE_TEST_SUITE_P(Seeds, RepairSeedTest,
                         ::testing::Values(1u, 2u, 3u, 42u, 2024u));

TEST_F(RepairWineTest, ReaderReadsTheShellsOwnShortcuts) {
  SaveShellLink(root + "a.lnk", kRundll32, "\"E:\\\xC2\xA0\\x.dll\",Main",
                "C:\\windows\\system32");
  SaveShellLink(root + "b.lnk", kWscript, "//B \"E:\\_\\run.vbs\"", "");
  Win32FileTree tree;
  Error error;
  const auto read = [&](const std::string& name) {
    const FileBytes bytes = tree.Read(root + name, kMaxShellLinkBytes, error);
    EXPECT_FALSE(error.failed()) << error.description;
    return ReadShellLink(
        bytes.bytes, [](std::string_view ansi) { return std::string(ansi); });
  };
  const ShellLinkResult a = read("a.lnk");
  ASSERT_TRUE(a.ok()) << ShellLinkStatusText(a.status);
  EXPECT_EQ(LowerAscii(a.link.target), LowerAscii(kRundll32));
  EXPECT_EQ(a.link.arguments, "\"E:\\\xC2\xA0\\x.dll\",Main");
  EXPECT_EQ(LowerAscii(a.link.working_dir), "c:\\windows\\system32");
  const ShellLinkResult b = read("b.lnk");
  ASSERT_TRUE(b.ok()) << ShellLinkStatusText(b.status);
  EXPECT_EQ(LowerAscii(b.link.target), LowerAscii(kWscript));
  EXPECT_EQ(b.link.arguments, "//B \"E:\\_\\run.vbs\"");
}

TEST_F(RepairWineTest, FileTreeTakesNamesAsTheyAre) {
  const std::string blank = root + kNbspName;
  MakeFolder(blank, FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
  MakeFile(blank + "\\a.txt", "a", FILE_ATTRIBUTE_READONLY | kHiddenSystem);
  MakeFolder(root + "Taken");
  MakeFile(root + "ro.lnk", "x", FILE_ATTRIBUTE_READONLY | kHiddenSystem);
  Win32FileTree tree;
  Error error;
  const std::vector<TreeEntry> entries = tree.List(drive, error);
  ASSERT_FALSE(error.failed()) << error.description;
  // A bounded listing stops at its bound, without an error.
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(tree.List(drive, error, nullptr, 1).size(), 1u);
  EXPECT_FALSE(error.failed()) << error.description;
  const auto found = std::find_if(
      entries.begin(), entries.end(),
      [](const TreeEntry& entry) { return entry.name == kNbspName; });
  ASSERT_NE(found, entries.end());
  EXPECT_TRUE(found->folder() && found->hidden_or_system());
  EXPECT_EQ(tree.Rename(blank, "Taken").number,
            static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(tree.Delete(blank).failed());
  // A read-only file loses read-only on its way out.
  EXPECT_FALSE(tree.Delete(root + "ro.lnk").failed());
  EXPECT_EQ(Attributes(root + "ro.lnk"), INVALID_FILE_ATTRIBUTES);
  ASSERT_FALSE(tree.MakeVisible(blank + "\\a.txt").failed());
  // Wine shows every file as to be archived.
  EXPECT_EQ(Attributes(blank + "\\a.txt") & ~FILE_ATTRIBUTE_ARCHIVE,
            DWORD{FILE_ATTRIBUTE_READONLY});
  EXPECT_FALSE(tree.Rename(blank, "Recovered files").failed());
  EXPECT_EQ(ReadAll(root + "Recovered files\\a.txt"), "a");
}

// One entry's attributes, asked of the entry opened inside its folder, as
// the arrival look asks them; a missing entry or a file taken for a folder
// gives the system's error.
TEST_F(RepairWineTest, AttributesAtAsksTheOneEntry) {
  MakeFolder(root + "Tools");
  MakeFile(root + "Tools\\w.dll", "MZ", kHiddenSystem);
  Win32FileTree tree;
  Error error;
  EXPECT_EQ(tree.AttributesAt(root + "Tools\\w.dll", error) & kHiddenSystem,
            kHiddenSystem);
  EXPECT_FALSE(error.failed()) << error.description;
  EXPECT_TRUE(tree.AttributesAt(root + "Tools", error) &
              FILE_ATTRIBUTE_DIRECTORY);
  tree.AttributesAt(root + "Tools\\none.dll", error);
  EXPECT_TRUE(error.failed());
  tree.AttributesAt(root + "Tools\\w.dll\\x", error);
  EXPECT_TRUE(error.failed());
}

// Only hidden and system come off, from the attributes an entry has when
// the run gets to it: read-only given after the look stays, as does
// archive. (Wine keeps no other attribute, such as not-content-indexed, to
// show the same of it.)
TEST_F(RepairWineTest, OnlyHiddenAndSystemComeOffWhatTheEntryHasNow) {
  const std::string folder = root + "_", file = folder + "\\a.txt";
  MakeFolder(folder);
  MakeFile(file, "a", kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE);
  MakeFolder(folder, FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
  Win32FileTree tree;
  RepairScan scan(tree, drive,
                  [](std::string_view ansi) { return std::string(ansi); });
  while (scan.Step()) {
  }
  RepairRun run(tree, BuildPlan(scan.findings()));
  ASSERT_TRUE(SetFileAttributesW(
      Widen(file).c_str(),
      FILE_ATTRIBUTE_READONLY | kHiddenSystem | FILE_ATTRIBUTE_ARCHIVE));
  Lines lines;
  while (run.Step(50, lines)) {
  }
  EXPECT_EQ(run.failures(), 0u) << testing::PrintToString(lines);
  EXPECT_EQ(Attributes(file),
            DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(Attributes(folder), DWORD{FILE_ATTRIBUTE_DIRECTORY});
}

// A file is deleted only while it is the one read: the identity Read gives
// is the one Delete checks, and another file under the name is refused.
TEST_F(RepairWineTest, DeleteTakesOnlyTheFileRead) {
  MakeFile(root + "x.lnk", "read");
  Win32FileTree tree;
  Error error;
  EntryId id;
  EXPECT_EQ(tree.Read(root + "x.lnk", 10, error, &id).bytes, "read");
  ASSERT_TRUE(
      MoveFileW(Widen(root + "x.lnk").c_str(), Widen(root + "y.lnk").c_str()));
  MakeFile(root + "x.lnk", "new");
  EXPECT_EQ(tree.Delete(root + "x.lnk", &id).number, kFolderChangedNumber);
  EXPECT_EQ(Contents(root + "x.lnk"), "new");
  EXPECT_FALSE(tree.Delete(root + "y.lnk", &id).failed());
  EXPECT_EQ(Attributes(root + "y.lnk"), INVALID_FILE_ATTRIBUTES);
}

// A directory link inside the hidden folder leads to a folder whose hidden
// file must stay hidden: the link is left as it is and never entered.
TEST_F(RepairWineTest, LinkInsideAHiddenFolderIsNotEntered) {
  const std::string blank = root + kNbspName;
  MakeFolder(root + "outside");
  MakeFile(root + "outside\\secret.txt", "s", kHiddenSystem);
  MakeFolder(blank);
  MakeFile(blank + "\\a.txt", "a", FILE_ATTRIBUTE_HIDDEN);
  // Wine 8 answers TRUE without making the link.
  if (!CreateSymbolicLinkW(Widen(blank + "\\link").c_str(),
                           Widen(root + "outside").c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY |
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
      !(Attributes(blank + "\\link") & FILE_ATTRIBUTE_REPARSE_POINT) ||
      Attributes(blank + "\\link") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this system makes no directory links";
  MakeFolder(blank, FILE_ATTRIBUTE_DIRECTORY | kHiddenSystem);
  const DWORD link_attributes = Attributes(blank + "\\link");
  const Lines lines = Repair();
  EXPECT_EQ(Attributes(root + "outside\\secret.txt") & kHiddenSystem,
            kHiddenSystem);
  EXPECT_EQ(Attributes(root + "Recovered files\\link"), link_attributes);
  EXPECT_EQ(Attributes(root + "Recovered files\\a.txt") & kHiddenSystem, 0u);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Link or junction left as it is: " + drive +
                          "\\[U+00A0]\\link"),
            lines.end())
      << testing::PrintToString(lines);
}

// The run's folders on real files: changes go through handles in a held
// folder, which cannot be moved meanwhile, nor can the folders above it;
// another folder put in the place of one looked at is refused.
TEST_F(RepairWineTest, HeldFoldersStayAndAnotherFolderInTheirPlaceIsRefused) {
  const std::string a = root + "a", b = root + "a\\b";
  MakeFolder(a);
  MakeFolder(b);
  MakeFile(b + "\\f.txt", "f", FILE_ATTRIBUTE_HIDDEN);
  Win32FileTree tree;
  Error error;
  EntryId id;
  tree.List(b, error, &id);
  ASSERT_FALSE(error.failed()) << error.description;
  EXPECT_NE(id.volume_serial, 0u);
  ASSERT_FALSE(tree.Hold(b, id).failed());
  EXPECT_FALSE(MoveFileW(Widen(b).c_str(), Widen(root + "moved").c_str()));
  EXPECT_FALSE(MoveFileW(Widen(a).c_str(), Widen(root + "moved").c_str()));
  EXPECT_FALSE(tree.MakeVisible(b + "\\f.txt").failed());
  EXPECT_EQ(Attributes(b + "\\f.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_FALSE(tree.Delete(b + "\\f.txt").failed());
  EXPECT_EQ(Attributes(b + "\\f.txt"), INVALID_FILE_ATTRIBUTES);
  tree.LetGo();

  ASSERT_TRUE(MoveFileW(Widen(b).c_str(), Widen(a + "\\old").c_str()));
  MakeFolder(b);
  EXPECT_EQ(tree.Hold(b, id).number, kFolderChangedNumber);
  EXPECT_EQ(tree.MakeVisible(b, &id).number, kFolderChangedNumber);
  EXPECT_EQ(tree.Rename(b, "c", &id).number, kFolderChangedNumber);
  EXPECT_EQ(Attributes(b), DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EntryId old_id;
  tree.List(a + "\\old", error, &old_id);
  EXPECT_EQ(old_id, id);
  EXPECT_FALSE(tree.Rename(a + "\\old", "back", &old_id).failed());
  EXPECT_NE(Attributes(a + "\\back"), INVALID_FILE_ATTRIBUTES);
}

// The Windows drive by what it is: its own letter, a SUBST letter of its
// Windows folder, and a test drive that holds \Windows\System32.
TEST_F(RepairWineTest, WindowsDriveIsKnownByWhatItIs) {
  Win32FileTree tree;
  EXPECT_EQ(tree.TieToWindows("C:"), WindowsTie::kWindowsDrive);
  EXPECT_EQ(tree.TieToWindows(drive), WindowsTie::kNone);
  MakeFolder(root + "Windows");
  MakeFolder(root + "Windows\\System32");
  EXPECT_EQ(tree.TieToWindows(drive), WindowsTie::kHoldsWindows);
  const DWORD used = GetLogicalDrives();
  wchar_t letter = L'W';
  while (letter > L'G' && (used & (1u << (letter - L'A')))) --letter;
  const wchar_t device[] = {letter, L':', 0};
  ASSERT_TRUE(DefineDosDeviceW(0, device, L"C:\\windows"));
  EXPECT_EQ(tree.TieToWindows(Narrow(device)), WindowsTie::kSubst);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
}

}  // namespace
}  // namespace velmora::win32
