// The fuzz targets' check that text is well-formed UTF-8: no overlong
// forms, no surrogates, nothing past U+10FFFF, no sequence cut short.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora::test {

inline bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = [&](std::size_t k) {
      return static_cast<unsigned char>(text[k]);
    };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      length = 1, c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, c = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return false;
      c = c << 6 | (byte(i + k) & 0x3F);
    }
    const char32_t min[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < min[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
      return false;
    i += length;
  }
  return true;
}

}  // namespace velmora::test
