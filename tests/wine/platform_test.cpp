// The Win32 System backend against real drives and files under Wine (or
// Windows). tools/wine-tests.sh maps a few drive letters to fresh empty
// folders and names them in VELMORA_TEST_DRIVES ("D,E,F"); the tests make
// their own files through Win32.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tests/wine/test_drives.h"
#include "tests/wine/test_files.h"

namespace velmora::win32 {
namespace {

// A letter the system does not know.
std::string UnknownDrive() {
  const DWORD mask = GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if (!(mask & (1u << i))) return {static_cast<char>('A' + i), ':'};
  }
  return "";
}

class PlatformTest : public test_drives::OnTestDrives {
 protected:
  Win32System system{"Velmora"};
};

TEST_F(PlatformTest, DriveEntriesListMappedLettersInOrder) {
  const auto entries = system.DriveEntries(DriveRead::Fresh);
  for (const auto& drive : drives) {
    EXPECT_NE(std::find(entries.begin(), entries.end(), drive), entries.end())
        << drive;
  }
  EXPECT_NE(std::find(entries.begin(), entries.end(), "C:"), entries.end());
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
  for (const auto& entry : entries) {
    ASSERT_EQ(entry.size(), 2u) << entry;
    EXPECT_TRUE(entry[0] >= 'A' && entry[0] <= 'Z') << entry;
    EXPECT_EQ(entry[1], ':');
  }
  EXPECT_EQ(std::find(entries.begin(), entries.end(), UnknownDrive()),
            entries.end());
}

TEST_F(PlatformTest, DriveRowTextStartsWithTheEntry) {
  for (const auto& drive : drives) {
    const std::string row = system.DriveRowText(drive);
    EXPECT_EQ(row.rfind(drive, 0), 0u) << row;
    if (row != drive) {
      EXPECT_EQ(row.substr(2, 2), " [") << row;
    }
  }
  EXPECT_EQ(system.DriveRowText(UnknownDrive()), UnknownDrive());
}

TEST_F(PlatformTest, SetAttrZeroClearsHiddenSystemReadOnly) {
  const std::string path = d + "\\autorun.inf";
  MakeFile(path, "[autorun]",
           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
               FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_EQ(Attributes(path) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
  const Error error = system.SetAttrZero(path);
  EXPECT_FALSE(error.failed()) << error.description;
  const DWORD after = Attributes(path);
  EXPECT_EQ(after & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                     FILE_ATTRIBUTE_READONLY),
            0u)
      << std::hex << after;
  // Archive goes too, as far as the file system lets it: the same as a
  // file set to "normal" by SetFileAttributes (Wine always shows archive).
  MakeFile(d + "\\other.inf", "x", FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(after, Attributes(d + "\\other.inf"));
}

TEST_F(PlatformTest, SetAttrZeroOnAFolderKeepsItAFolder) {
  const std::string path = e + "\\autorun.inf";
  MakeFolder(path, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                       FILE_ATTRIBUTE_SYSTEM);
  EXPECT_FALSE(system.SetAttrZero(path).failed());
  const DWORD after = Attributes(path);
  EXPECT_NE(after & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(after & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
}

TEST_F(PlatformTest, SetAttrZeroOnNothingFailsWithTheSystemError) {
  const Error error = system.SetAttrZero(d + "\\autorun.inf");
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(error.description.empty());
  EXPECT_EQ(error.description.find_first_of("\r\n"), std::string::npos);
}

TEST_F(PlatformTest, DirSeesOnlyPlainFiles) {
  Error error;
  const std::string path = d + "\\autorun.inf";
  EXPECT_EQ(system.Dir(path, error), "");
  EXPECT_FALSE(error.failed());

  MakeFile(path, "x", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(system.Dir(path, error), "");
  MakeFile(path, "x", FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(system.Dir(path, error), "");
  MakeFile(path, "x", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(system.Dir(path, error), "autorun.inf");
  EXPECT_FALSE(error.failed());
  MakeFile(path, "x", FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(system.Dir(path, error), "autorun.inf");

  MakeFolder(e + "\\autorun.inf");
  EXPECT_EQ(system.Dir(e + "\\autorun.inf", error), "");
  MakeFolder(f + "\\autorun.inf",
             FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(system.Dir(f + "\\autorun.inf", error), "");
  EXPECT_FALSE(error.failed());
}

TEST_F(PlatformTest, DirOfOneNameGivesItAsStoredOrNothingWithoutError) {
  Error error;
  EXPECT_EQ(system.Dir(d + "\\no folder\\autorun.inf", error), "");
  EXPECT_FALSE(error.failed());
  MakeFile(d + "\\AutoRun.INF");
  EXPECT_EQ(system.Dir(d + "\\autorun.inf", error), "AutoRun.INF");
  EXPECT_FALSE(error.failed());
}

TEST_F(PlatformTest, DirWithAPatternGivesTheFirstVisibleMatch) {
  MakeFile(d + "\\a.inf", "x", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(d + "\\b.inf");
  Error error;
  EXPECT_EQ(system.Dir(d + "\\*.inf", error), "b.inf");
}

TEST_F(PlatformTest, KillOfAReadOnlyFileFailsAndKeepsIt) {
  const std::string path = d + "\\autorun.inf";
  MakeFile(path, "x", FILE_ATTRIBUTE_READONLY);
  const Error error = system.Kill(path);
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(error.description.empty());
  EXPECT_TRUE(system.PathExists(path));
}

TEST_F(PlatformTest, KillDeletesExactlyThePath) {
  MakeFile(d + "\\autorun.inf");
  MakeFile(d + "\\keep.txt");
  EXPECT_FALSE(system.Kill(d + "\\autorun.inf").failed());
  EXPECT_FALSE(system.PathExists(d + "\\autorun.inf"));
  EXPECT_TRUE(system.PathExists(d + "\\keep.txt"));
  EXPECT_EQ(system.Kill(d + "\\autorun.inf").number,
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(PlatformTest, KillRefusesWildcards) {
  MakeFile(d + "\\a.inf");
  MakeFile(d + "\\b.inf");
  EXPECT_TRUE(system.Kill(d + "\\*.inf").failed());
  EXPECT_TRUE(system.Kill(d + "\\?.inf").failed());
  EXPECT_TRUE(system.PathExists(d + "\\a.inf"));
  EXPECT_TRUE(system.PathExists(d + "\\b.inf"));
}

TEST_F(PlatformTest, ChangeDriveMakesTheDriveCurrent) {
  EXPECT_FALSE(system.ChangeDrive(e).failed());
  EXPECT_EQ(system.CurrentDrive(), e);
  const std::string lower = {static_cast<char>(std::tolower(d[0])), ':'};
  EXPECT_FALSE(system.ChangeDrive(lower).failed());
  EXPECT_EQ(system.CurrentDrive(), d);
  // Only the first letter counts.
  EXPECT_FALSE(system.ChangeDrive(f + "\\autorun.inf").failed());
  EXPECT_EQ(system.CurrentDrive(), f);
  EXPECT_FALSE(system.ChangeDrive("").failed());
  EXPECT_EQ(system.CurrentDrive(), f);
}

TEST_F(PlatformTest, CurrentFolderOnNoDriveMeansTheWindowsDrive) {
  // Wine reaches Linux folders outside its drives this way.
  if (!SetCurrentDirectoryW(L"\\\\?\\unix\\tmp"))
    GTEST_SKIP() << "no folder outside the drives";
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(system.CurrentDrive(),
            std::string({static_cast<char>(std::toupper(windows[0])), ':'}));
  SetCurrentDirectoryW(L"C:\\");
}

TEST_F(PlatformTest, ChangeDriveToAnUnknownDriveFails) {
  ASSERT_FALSE(system.ChangeDrive(d).failed());
  const Error error = system.ChangeDrive(UnknownDrive());
  EXPECT_TRUE(error.failed());
  EXPECT_FALSE(error.description.empty());
  EXPECT_EQ(system.CurrentDrive(), d);
  EXPECT_TRUE(system.ChangeDrive("1:").failed());
}

TEST_F(PlatformTest, ListFilesListsHiddenAndSystemFilesNotFolders) {
  MakeFile(d + "\\autorun.inf", "x",
           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFile(d + "\\readme.txt");
  MakeFolder(d + "\\sub");
  Error error;
  EXPECT_EQ(system.ListFiles(d, "autorun.inf", error),
            std::vector<std::string>{"autorun.inf"});
  EXPECT_FALSE(error.failed());
  EXPECT_EQ(system.ListFiles(d + "\\", "*", error),
            (std::vector<std::string>{"autorun.inf", "readme.txt"}));
  EXPECT_TRUE(system.ListFiles(e, "autorun.inf", error).empty());
  EXPECT_FALSE(error.failed());
}

TEST_F(PlatformTest, ListFilesOfADriveMeansItsCurrentFolder) {
  MakeFolder(d + "\\sub");
  MakeFile(d + "\\sub\\autorun.inf");
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(d + "\\sub").c_str()));
  Error error;
  EXPECT_EQ(system.ListFiles(d, "autorun.inf", error),
            std::vector<std::string>{"autorun.inf"});
  EXPECT_EQ(system.ListFiles(d + "\\sub", "*.inf", error),
            std::vector<std::string>{"autorun.inf"});
}

TEST_F(PlatformTest, ListFilesOnAMissingDriveFails) {
  Error error;
  EXPECT_TRUE(system.ListFiles(UnknownDrive(), "autorun.inf", error).empty());
  EXPECT_TRUE(error.failed());
  EXPECT_FALSE(error.description.empty());
}

TEST_F(PlatformTest, NamesTravelAsUtf8) {
  const std::string name = "\xC3\xBC\x62\xC3\xA9r \xE2\x82\xAC.txt";  // über €
  MakeFile(d + "\\" + name);
  Error error;
  EXPECT_EQ(system.ListFiles(d, "*.txt", error),
            std::vector<std::string>{name});
  EXPECT_EQ(system.Dir(d + "\\" + name, error), name);
  EXPECT_TRUE(system.PathExists(d + "\\" + name));
}

TEST_F(PlatformTest, ReadFileReadsAtMostTheCap) {
  const std::string path = d + "\\autorun.inf";
  MakeFile(path, "0123456789", FILE_ATTRIBUTE_HIDDEN);
  Error error;
  FileBytes bytes = system.ReadFile(path, 4, error);
  EXPECT_FALSE(error.failed());
  EXPECT_EQ(bytes.bytes, "0123");
  EXPECT_TRUE(bytes.truncated);
  bytes = system.ReadFile(path, 10, error);
  EXPECT_EQ(bytes.bytes, "0123456789");
  EXPECT_FALSE(bytes.truncated);
  bytes = system.ReadFile(path, 1000, error);
  EXPECT_EQ(bytes.bytes, "0123456789");
  EXPECT_FALSE(bytes.truncated);
  // Closed again: the file can be deleted at once.
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(DeleteFileW(Widen(path).c_str()));
}

TEST_F(PlatformTest, ReadFileOfALargeFileStopsAtTheCap) {
  std::string contents(200000, 'a');
  for (std::size_t i = 0; i < contents.size(); ++i)
    contents[i] = static_cast<char>('a' + i % 26);
  MakeFile(e + "\\big.inf", contents);
  Error error;
  const FileBytes bytes = system.ReadFile(e + "\\big.inf", 150000, error);
  EXPECT_EQ(bytes.bytes, contents.substr(0, 150000));
  EXPECT_TRUE(bytes.truncated);
}

TEST_F(PlatformTest, ReadFileOfNothingFails) {
  Error error;
  const FileBytes bytes = system.ReadFile(d + "\\autorun.inf", 10, error);
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(bytes.bytes.empty());
}

// A folder named autorun.inf is opened as itself first, to tell a
// junction from it, and is then refused for reading as before. (A link or
// junction named so gets error 681 on Windows and on the fake; Wine 8 makes
// no such links, and shows a Unix link as what it leads to.)
TEST_F(PlatformTest, ReadFileOfAFolderIsRefused) {
  MakeFolder(d + "\\autorun.inf");
  Error error;
  const FileBytes bytes = system.ReadFile(d + "\\autorun.inf", 10, error);
  EXPECT_EQ(error.number, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(bytes.bytes.empty());
}

TEST_F(PlatformTest, ProbeDrive) {
  for (const auto& drive : drives) {
    const DriveStatus status = system.ProbeDrive(drive);
    EXPECT_TRUE(status.exists) << drive;
    EXPECT_TRUE(status.ready) << drive;
  }
  const DriveStatus unknown = system.ProbeDrive(UnknownDrive());
  EXPECT_FALSE(unknown.exists);
  EXPECT_FALSE(unknown.ready);
  for (const char* malformed : {"", "D", "1:", "DD", "D:x", ":D"}) {
    EXPECT_FALSE(system.ProbeDrive(malformed).exists) << malformed;
  }
  EXPECT_TRUE(system.ProbeDrive("c:").exists);
}

TEST_F(PlatformTest, PathExistsSeesHiddenFilesAndFolders) {
  MakeFile(d + "\\h.inf", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  MakeFolder(d + "\\sub");
  EXPECT_TRUE(system.PathExists(d + "\\h.inf"));
  EXPECT_TRUE(system.PathExists(d + "\\sub"));
  EXPECT_FALSE(system.PathExists(d + "\\none.inf"));
}

TEST(TextTest, WidenAndNarrowRoundTrip) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // Aé€😀
  const std::wstring wide = Widen(text);
  EXPECT_EQ(wide, std::wstring(L"A\u00E9\u20AC\U0001F600"));
  EXPECT_EQ(Narrow(wide), text);
  EXPECT_EQ(Widen(""), L"");
  EXPECT_EQ(Narrow(L""), "");
  EXPECT_EQ(Widen("\xFF"), std::wstring(L"\uFFFD"));
}

TEST(TextTest, ErrorFromCodeGivesOneLineOfTheSystemsText) {
  const Error denied = ErrorFromCode(ERROR_ACCESS_DENIED);
  EXPECT_EQ(denied.number, 5u);
  EXPECT_FALSE(denied.description.empty());
  EXPECT_EQ(denied.description.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(denied.description.back(), ' ');
  if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH) {
    // Windows and Wine word it slightly differently.
    EXPECT_TRUE(denied.description == "Access is denied." ||
                denied.description == "Access denied.")
        << denied.description;
  }
  EXPECT_FALSE(ErrorFromCode(0).failed());
  EXPECT_EQ(ErrorFromCode(0).description, "");
}

TEST(TextTest, AnsiToUtf8UsesTheAnsiCodePage) {
  Win32System system("Velmora");
  EXPECT_EQ(system.AnsiToUtf8("autorun"), "autorun");
  EXPECT_EQ(system.AnsiToUtf8(""), "");
  if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
  EXPECT_EQ(system.AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(ProgramTest, ProgramPathAndTheKindOfItsDrive) {
  Win32System system("Velmora");
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(system.ProgramPath(), Narrow(self));
  EXPECT_EQ(system.KindOfDrive("C:\\windows\\system32\\kernel32.dll"),
            DriveKind::Fixed);
  // A letter no drive has.
  const DWORD drives = GetLogicalDrives();
  char free_letter = 0;
  for (char letter = 'Z'; letter > 'C' && !free_letter; --letter)
    if (!(drives & (1u << (letter - 'A')))) free_letter = letter;
  ASSERT_NE(free_letter, 0);
  EXPECT_EQ(system.KindOfDrive(std::string(1, free_letter) + ":\\velmora.exe"),
            DriveKind::Unknown);
  // The free letter made a SUBST of C:\windows, as `subst X: C:\windows`.
  const wchar_t letter[] = {static_cast<wchar_t>(free_letter), L':', 0};
  ASSERT_TRUE(DefineDosDeviceW(0, letter, L"C:\\windows"));
  EXPECT_EQ(system.KindOfDrive(std::string(1, free_letter) + ":\\notepad.exe"),
            DriveKind::Subst);
  EXPECT_TRUE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter, nullptr));
}

}  // namespace
}  // namespace velmora::win32
