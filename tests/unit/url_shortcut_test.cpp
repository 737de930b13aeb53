// Reading the target of an Internet shortcut (.url).
#include "repair/url_shortcut.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/shell_link_writer.h"

namespace velmora {
namespace {

std::string Latin1(std::string_view ansi) {
  std::string utf8;
  for (char c : ansi) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | byte >> 6);
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

TEST(UrlShortcutTest, TargetOfTheUrlLine) {
  const struct {
    std::string bytes, target;
  } cases[] = {
      {"[InternetShortcut]\r\nURL=file:///E:/_/run.vbs\r\n", "E:\\_\\run.vbs"},
      {"[InternetShortcut]\nURL=file:///E:/%C2%A0/x%20y.exe",
       "E:\\\xC2\xA0\\x y.exe"},
      {"[InternetShortcut]\nURL=file:E:/a.exe", "E:\\a.exe"},
      {"[InternetShortcut]\nURL=file://E:/_/run.vbs", "E:\\_\\run.vbs"},
      {"[InternetShortcut]\nURL=FILE://localhost/E:/a.exe", "E:\\a.exe"},
      {"[internetshortcut]\n  url = \\_\\run.vbs  ", "\\_\\run.vbs"},
      {"[Other]\nURL=E:\\x.exe\n[InternetShortcut]\nIconFile=i\nURL=E:/y.exe"
       "\nURL=E:\\z.exe",
       "E:\\y.exe"},
      // An ANSI file: 0xA0 is U+00A0 in the code page.
      {"[InternetShortcut]\nURL=E:\\\xA0\\w.exe", "E:\\\xC2\xA0\\w.exe"},
      // UTF-16 with its byte-order mark.
      {"\xFF\xFE" + test::Utf16("[InternetShortcut]\nURL=E:\\a.js"),
       "E:\\a.js"},
      // A broken escape stays; one that spells broken UTF-8 shows U+FFFD.
      {"[InternetShortcut]\nURL=file:///E:/%ZZ%FF.js",
       "E:\\%ZZ\xEF\xBF\xBD.js"},
      // No file of a drive: another scheme, a server, no section, no URL,
      // a NUL that would cut the path short.
      {"[InternetShortcut]\nURL=https://example.com/a.exe", ""},
      {"[InternetShortcut]\nURL=file://server/share/a.exe", ""},
      {"URL=E:\\x.exe", ""},
      {"[InternetShortcut]\nIconFile=E:\\x.exe", ""},
      {"[InternetShortcut]\nURL=file:///E:/a%00.exe", ""},
      {"", ""},
  };
  for (const auto& [bytes, target] : cases)
    EXPECT_EQ(ReadUrlShortcut(bytes, Latin1).target, target) << bytes;
}

}  // namespace
}  // namespace velmora
