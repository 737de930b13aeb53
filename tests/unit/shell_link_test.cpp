// The shortcut reader on links built by the test's own writer: every part
// it reads, and hostile input (cut short, too large, sizes that lie, item
// lists that would never end).
#include "repair/shell_link.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/shell_link_writer.h"

namespace velmora {
namespace {

using test::LinkParts;
using test::WriteLink;

std::string Latin1(std::string_view ansi) {
  std::string utf8;
  for (unsigned char c : ansi) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | c >> 6);
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

ShellLinkResult Read(const std::string& bytes) {
  return ReadShellLink(bytes, Latin1);
}

// The link the reader takes from what the test's writer made of `parts`;
// a failure when it refuses it.
ShellLink ReadWritten(const LinkParts& parts) {
  const ShellLinkResult result = Read(WriteLink(parts));
  EXPECT_TRUE(result.ok()) << ShellLinkStatusText(result.status);
  return result.link;
}

LinkParts WormParts() {
  LinkParts parts;
  parts.local_path = "C:\\Windows\\System32\\rundll32.exe";
  parts.arguments = "\"E:\\\xC2\xA0\\x.dll\",Main";
  parts.working_dir = "C:\\Windows\\System32";
  parts.relative_path = "..\\Windows\\System32\\rundll32.exe";
  parts.icon_location = "%SystemRoot%\\System32\\shell32.dll";
  parts.name = "Photos";
  return parts;
}

TEST(ShellLinkTest, ReadsEveryStringOfAUnicodeLink) {
  const ShellLinkResult result = Read(WriteLink(WormParts()));
  ASSERT_EQ(result.status, ShellLinkStatus::kOk);
  EXPECT_EQ(result.link.target, "C:\\Windows\\System32\\rundll32.exe");
  EXPECT_EQ(result.link.arguments, "\"E:\\\xC2\xA0\\x.dll\",Main");
  EXPECT_EQ(result.link.working_dir, "C:\\Windows\\System32");
  EXPECT_EQ(result.link.relative_path, "..\\Windows\\System32\\rundll32.exe");
  EXPECT_EQ(result.link.icon_location, "%SystemRoot%\\System32\\shell32.dll");
  EXPECT_EQ(result.link.name, "Photos");
}

TEST(ShellLinkTest, ReadsAnsiStringsThroughTheDecoder) {
  LinkParts parts = WormParts();
  parts.unicode = false;
  parts.arguments = "caf\xE9.vbs";
  const ShellLink link = ReadWritten(parts);
  EXPECT_EQ(link.arguments, "caf\xC3\xA9.vbs");
  EXPECT_EQ(link.working_dir, "C:\\Windows\\System32");
}

TEST(ShellLinkTest, PrefersTheUnicodeLocalPath) {
  LinkParts parts;
  parts.local_path = "E:\\\xE2\x80\x8B\\run.js";
  parts.unicode_info = true;
  const ShellLink link = ReadWritten(parts);
  EXPECT_EQ(link.target, "E:\\\xE2\x80\x8B\\run.js");
}

TEST(ShellLinkTest, TakesTheEnvironmentTargetWithoutLocation) {
  LinkParts parts;
  parts.link_info = false;
  parts.environment_target = "%ComSpec%";
  parts.arguments = "/c start x.vbs";
  const ShellLink link = ReadWritten(parts);
  EXPECT_EQ(link.target, "%ComSpec%");
  EXPECT_EQ(link.arguments, "/c start x.vbs");
}

TEST(ShellLinkTest, FallsBackToTheRelativePath) {
  LinkParts parts;
  parts.link_info = false;
  parts.id_list = false;
  parts.relative_path = ".\\_\\run.exe";
  const ShellLink link = ReadWritten(parts);
  EXPECT_EQ(link.target, ".\\_\\run.exe");
}

TEST(ShellLinkTest, RejectsWhatIsNotAShortcut) {
  EXPECT_EQ(Read("").status, ShellLinkStatus::kTruncated);
  EXPECT_EQ(Read("MZ\x90").status, ShellLinkStatus::kNotAShellLink);
  std::string bytes = WriteLink(WormParts());
  bytes[5] = 'x';  // the class id
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kNotAShellLink);
  bytes = WriteLink(WormParts());
  bytes[0] = 0x4D;  // the header size
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kNotAShellLink);
}

// Every cut of a good link is either still a whole link (only the optional
// extra data was cut) or reported as cut short; never a crash.
TEST(ShellLinkTest, EveryTruncationIsReported) {
  LinkParts parts = WormParts();
  parts.environment_target = "%windir%\\system32\\cmd.exe";
  const std::string bytes = WriteLink(parts);
  const std::size_t strings_end = bytes.size() - 4 - 0x314;
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const ShellLinkResult result = Read(bytes.substr(0, size));
    if (size < strings_end)
      EXPECT_EQ(result.status, ShellLinkStatus::kTruncated) << size;
    else
      EXPECT_TRUE(result.ok()) << size;
  }
}

TEST(ShellLinkTest, RejectsOversizedFiles) {
  std::string bytes = WriteLink(WormParts());
  EXPECT_TRUE(Read(bytes + std::string(1000, '\0')).ok());
  bytes.resize(kMaxShellLinkBytes + 1, '\0');
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kTooLarge);
}

constexpr std::size_t kAfterHeader = 0x4C;
constexpr std::size_t kFirstItemAt = 0x4E;
constexpr std::size_t kLinkInfoAt = 0x4E + 22;

TEST(ShellLinkTest, ItemListLongerThanTheFileIsCutShort) {
  std::string bytes = WriteLink(WormParts());
  bytes[kAfterHeader] = '\xFF', bytes[kAfterHeader + 1] = '\xFF';
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kTruncated);
}

TEST(ShellLinkTest, ItemThatWouldNotMoveTheWalkOnIsRejected) {
  std::string bytes = WriteLink(WormParts());
  bytes[kFirstItemAt] = 1, bytes[kFirstItemAt + 1] = 0;
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
}

TEST(ShellLinkTest, ItemRunningPastItsListIsRejected) {
  std::string bytes = WriteLink(WormParts());
  bytes[kFirstItemAt] = 23, bytes[kFirstItemAt + 1] = 0;
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
  bytes[kFirstItemAt] = '\xFF', bytes[kFirstItemAt + 1] = '\xFF';
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
}

// A list of 32,767 two-byte items with no terminal: the walk ends at the
// end of the list.
TEST(ShellLinkTest, ListWithoutTerminalEndsTheWalk) {
  LinkParts parts;
  parts.id_list = false;
  parts.link_info = false;
  std::string bytes = WriteLink(parts);
  bytes[20] |= 1;
  std::string list;
  test::Put16(list, 0xFFFE);
  for (int i = 0; i < 0x7FFF; ++i) test::Put16(list, 2);
  bytes.insert(kAfterHeader, list);
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kTruncated);
}

TEST(ShellLinkTest, LocationOffsetsOutsideTheBlockAreRejected) {
  const std::string good = WriteLink(WormParts());
  for (std::size_t field : {16u, 24u}) {
    std::string bytes = good;
    test::Set32(bytes, kLinkInfoAt + field, 0x7FFFFFFF);
    EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed) << field;
  }
  std::string bytes = good;
  test::Set32(bytes, kLinkInfoAt + 4, 0x7FFFFFFF);  // header size
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
  bytes = good;
  test::Set32(bytes, kLinkInfoAt, 8);  // block smaller than its header
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
  bytes = good;
  test::Set32(bytes, kLinkInfoAt, 0x7FFFFFF0);
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kTruncated);
}

TEST(ShellLinkTest, UnterminatedLocalPathIsRejected) {
  LinkParts parts;
  parts.local_path = "E:\\run.exe";
  std::string bytes = WriteLink(parts);
  const std::size_t end = bytes.find(std::string("run.exe") + '\0');
  ASSERT_NE(end, std::string::npos);
  // Both terminators (path and empty suffix) become letters.
  bytes[end + 7] = 'x', bytes[end + 8] = 'x';
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kMalformed);
}

TEST(ShellLinkTest, CountedStringLongerThanTheFileIsCutShort) {
  LinkParts parts;
  parts.link_info = false;
  parts.id_list = false;
  parts.arguments = "/c";
  std::string bytes = WriteLink(parts);
  bytes[kAfterHeader] = '\xFF', bytes[kAfterHeader + 1] = '\xFF';
  EXPECT_EQ(Read(bytes).status, ShellLinkStatus::kTruncated);
}

TEST(ShellLinkTest, BrokenExtraDataIsIgnored) {
  LinkParts parts = WormParts();
  parts.link_info = false;
  parts.environment_target = "%ComSpec%";
  std::string bytes = WriteLink(parts);
  const std::size_t block = bytes.size() - 4 - 0x314;
  test::Set32(bytes, block, 0x7FFFFFFF);
  const ShellLinkResult result = Read(bytes);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.link.target, "..\\Windows\\System32\\rundll32.exe");
}

TEST(ShellLinkTest, BrokenUtf16BecomesReplacementCharacters) {
  LinkParts parts;
  parts.link_info = false;
  parts.arguments = "ab";
  std::string bytes = WriteLink(parts);
  const std::size_t at = bytes.find(test::Utf16("ab"));
  bytes[at] = '\x00', bytes[at + 1] = '\xD8';  // a lone high surrogate
  const ShellLinkResult result = Read(bytes);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.link.arguments,
            "\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace velmora
