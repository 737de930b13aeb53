// Latin-1 to UTF-8: the ANSI code page the tests give the autorun.inf
// reader, as the fake system has it. `on_nul` is called for each NUL byte,
// which the reader must never hand over.
#pragma once

#include <string>
#include <string_view>

namespace latin1 {

template <typename OnNul>
std::string ToUtf8(std::string_view ansi, OnNul on_nul) {
  std::string utf8;
  for (unsigned char c : ansi) {
    if (c == 0) on_nul();
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

}  // namespace latin1
