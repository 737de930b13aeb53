// Latin-1 to UTF-8: the fake system's ANSI code page, where every byte is
// the code point of its value. The fake system converts with it, and the
// tests that hand the autorun.inf reader a converter use the same one.
#pragma once

#include <string>
#include <string_view>

namespace velmora::latin1 {

inline std::string ToUtf8(std::string_view ansi) {
  std::string utf8;
  for (unsigned char c : ansi) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

}  // namespace velmora::latin1
