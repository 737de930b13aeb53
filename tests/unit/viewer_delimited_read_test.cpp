#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/latin1.h"
#include "viewer/delimited_read.h"

namespace velmora {
namespace {

using namespace std::string_literals;
using Items = std::vector<std::string>;

// Latin-1, as the fake system's ANSI code page.
std::string Latin1(std::string_view ansi) {
  if (ansi.find('\0') != std::string_view::npos)
    ADD_FAILURE() << "the ANSI converter was handed a NUL";
  return latin1::ToUtf8(ansi);
}

Items Read(std::string_view bytes) {
  return SplitDelimited(DecodeText(bytes, Latin1));
}

// UTF-16 bytes of an ASCII string, with its byte-order mark.
std::string Utf16(std::string_view ascii, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    if (big_endian) bytes += '\0';
    bytes += c;
    if (!big_endian) bytes += '\0';
  }
  return bytes;
}

TEST(DelimitedReadTest, EmptyTextGivesNoItem) {
  EXPECT_EQ(SplitDelimited(""), Items{});
  EXPECT_EQ(Read(""), Items{});
}

TEST(DelimitedReadTest, CommasAndLineEndsEndItems) {
  EXPECT_EQ(SplitDelimited("[autorun]\r\nicon=setup.exe,0\r\nopen=run.exe"),
            (Items{"[autorun]", "icon=setup.exe", "0", "open=run.exe"}));
}

TEST(DelimitedReadTest, EveryKindOfLineEnd) {
  EXPECT_EQ(SplitDelimited("a\r\nb\nc\rd"), (Items{"a", "b", "c", "d"}));
  // LF CR is two line ends, so an empty line between.
  EXPECT_EQ(SplitDelimited("a\n\rb"), (Items{"a", "", "b"}));
}

TEST(DelimitedReadTest, LastLineEndStartsNoNewLine) {
  EXPECT_EQ(SplitDelimited("a\r\n"), Items{"a"});
  EXPECT_EQ(SplitDelimited("a\n"), Items{"a"});
  EXPECT_EQ(SplitDelimited("a\r"), Items{"a"});
}

TEST(DelimitedReadTest, EmptyLinesGiveOneEmptyItemEach) {
  EXPECT_EQ(SplitDelimited("a\r\n\r\n\r\nb\r\n"), (Items{"a", "", "", "b"}));
  EXPECT_EQ(SplitDelimited("\n"), Items{""});
  EXPECT_EQ(SplitDelimited("\n\nx"), (Items{"", "", "x"}));
}

TEST(DelimitedReadTest, CommaAlwaysStartsAnotherItem) {
  EXPECT_EQ(SplitDelimited("a,"), (Items{"a", ""}));
  EXPECT_EQ(SplitDelimited("a,\r\nb"), (Items{"a", "", "b"}));
  EXPECT_EQ(SplitDelimited(",,"), (Items{"", "", ""}));
}

TEST(DelimitedReadTest, LeadingBlanksAreSkippedOthersKept) {
  EXPECT_EQ(SplitDelimited("  \t a b ,\t c\t"), (Items{"a b ", "c\t"}));
  EXPECT_EQ(SplitDelimited("   \r\nx"), (Items{"", "x"}));
}

TEST(DelimitedReadTest, QuotedItemHoldsCommasAndLosesItsQuotes) {
  EXPECT_EQ(SplitDelimited("\"a, b\",c"), (Items{"a, b", "c"}));
  EXPECT_EQ(SplitDelimited("  \" x \" ,y"), (Items{" x  ", "y"}));
  EXPECT_EQ(SplitDelimited("\"\""), Items{""});
}

TEST(DelimitedReadTest, QuoteInsideAnItemIsKept) {
  EXPECT_EQ(SplitDelimited("open=\"my setup.exe\" /s,1"),
            (Items{"open=\"my setup.exe\" /s", "1"}));
}

TEST(DelimitedReadTest, TextAfterTheClosingQuoteIsKept) {
  EXPECT_EQ(SplitDelimited("\"a,b\"c,d"), (Items{"a,bc", "d"}));
}

TEST(DelimitedReadTest, UnterminatedQuoteEndsWithItsLine) {
  EXPECT_EQ(SplitDelimited("\"a,b\r\nc,d"), (Items{"a,b", "c", "d"}));
  EXPECT_EQ(SplitDelimited("x,\"open"), (Items{"x", "open"}));
  EXPECT_EQ(SplitDelimited("\""), Items{""});
}

TEST(DelimitedReadTest, AnsiBytesGoThroughTheConverter) {
  EXPECT_EQ(Read("caf\xE9,\xC4"), (Items{"caf\xC3\xA9", "\xC3\x84"}));
}

TEST(DelimitedReadTest, Utf16LittleAndBigEndianWithMark) {
  const Items expected = {"[autorun]", "open=a b.exe", "x"};
  const std::string text = "[autorun]\r\n\"open=a b.exe\",x\r\n";
  EXPECT_EQ(Read(Utf16(text, false)), expected);
  EXPECT_EQ(Read(Utf16(text, true)), expected);
  // U+00E9 and U+20AC, then a surrogate pair for U+1F600.
  EXPECT_EQ(DecodeText("\xFF\xFE\xE9\x00\xAC\x20\x3D\xD8\x00\xDE"s, Latin1),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(DecodeText("\xFE\xFF\x00\xE9\x20\xAC\xD8\x3D\xDE\x00"s, Latin1),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(DelimitedReadTest, BrokenUtf16BecomesReplacementCharacters) {
  // A lone high surrogate, a lone low surrogate, an odd last byte.
  EXPECT_EQ(DecodeText("\xFF\xFE\x3D\xD8\x41\x00\x00\xDC\x42\x00\x43"s, Latin1),
            "\xEF\xBF\xBD"
            "A\xEF\xBF\xBD"
            "B\xEF\xBF\xBD");
}

TEST(DelimitedReadTest, Utf8WithMarkIsKeptAndCheckedWithout) {
  EXPECT_EQ(Read("\xEF\xBB\xBF"
                 "caf\xC3\xA9,x"),
            (Items{"caf\xC3\xA9", "x"}));
  // A stray continuation byte and an overlong slash are replaced.
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\x80z\xC0\xAF", Latin1),
            "\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(DelimitedReadTest, NulNeverCutsTheTextShort) {
  const std::string nul(kNulSymbol);
  EXPECT_EQ(Read(std::string("ab\0cd,e\0", 8)),
            (Items{"ab" + nul + "cd", "e" + nul}));
  EXPECT_EQ(Read(std::string("\0\0", 2)), Items{nul + nul});
  EXPECT_EQ(Read(std::string("\xEF\xBB\xBFx\0y", 6)), Items{"x" + nul + "y"});
  EXPECT_EQ(Read(std::string("\xFF\xFEx\0\0\0y\0", 8)), Items{"x" + nul + "y"});
}

TEST(DelimitedReadTest, FileWithinTheLimitHasNoExtraLine) {
  EXPECT_EQ(AutorunItems({"a,b\r\n", false}, Latin1), (Items{"a", "b"}));
  EXPECT_EQ(AutorunItems({"", false}, Latin1), Items{});
}

TEST(DelimitedReadTest, CutFileEndsWithTheRestNotShownLine) {
  EXPECT_EQ(AutorunItems({"a,b\r\nlong lin", true}, Latin1),
            (Items{"a", "b", "long lin", std::string(kRestNotShown)}));
}

TEST(DelimitedReadTest, CharacterCutByTheLimitIsDropped) {
  const std::string rest(kRestNotShown);
  // UTF-16 cut in the middle of a unit, and after a high surrogate.
  EXPECT_EQ(AutorunItems({"\xFF\xFE"
                          "a\0b"s,
                          true},
                         Latin1),
            (Items{"a", rest}));
  EXPECT_EQ(AutorunItems({std::string("\xFE\xFF\0a\xD8\x3D", 6), true}, Latin1),
            (Items{"a", rest}));
  // UTF-8 cut inside a three-byte sequence.
  EXPECT_EQ(AutorunItems({"\xEF\xBB\xBFx\xE2\x82", true}, Latin1),
            (Items{"x", rest}));
  // The same bytes in a whole file are broken, not cut, and show as such.
  EXPECT_EQ(AutorunItems({"\xEF\xBB\xBFx\xE2\x82", false}, Latin1),
            Items{"x\xEF\xBF\xBD\xEF\xBF\xBD"});
}

TEST(DelimitedReadTest, MegabyteOfCommasGivesAnItemEach) {
  const std::string commas(kMaxAutorunBytes, ',');
  const Items items = AutorunItems({commas, true}, Latin1);
  ASSERT_EQ(items.size(), kMaxAutorunBytes + 2);
  EXPECT_EQ(items.front(), "");
  EXPECT_EQ(items.back(), kRestNotShown);
}

}  // namespace
}  // namespace velmora
