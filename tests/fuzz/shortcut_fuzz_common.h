// What the shortcut readers' fuzz targets share: a failed check aborts, so
// that libFuzzer keeps the input, and the ANSI decoder they are given.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

namespace velmora::test {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

// Each byte becomes one letter, so the decoded text stays bounded.
inline std::string Ascii(std::string_view ansi) {
  std::string text;
  for (char c : ansi) {
    Require(c != '\0');
    text += static_cast<char>(c & 0x7F ? c & 0x7F : '?');
  }
  return text;
}

}  // namespace velmora::test
