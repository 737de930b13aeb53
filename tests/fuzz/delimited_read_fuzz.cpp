// libFuzzer target for reading autorun.inf: any bytes must decode to valid
// UTF-8 without NUL and split into items without line ends, in bounded
// size, whether or not the file was cut by the size limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/fake/latin1.h"
#include "viewer/delimited_read.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Latin-1 to UTF-8; it must never see a NUL.
std::string Latin1(std::string_view ansi) {
  Require(ansi.find('\0') == std::string_view::npos);
  return velmora::latin1::ToUtf8(ansi);
}

bool IsValidUtf8(std::string_view text) {
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

void CheckItems(const std::vector<std::string>& items, std::size_t text_size) {
  Require(items.size() <= text_size + 1);
  std::size_t total = 0;
  for (const std::string& item : items) {
    Require(item.find_first_of("\r\n") == std::string::npos);
    total += item.size();
  }
  Require(total <= text_size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::string text = velmora::DecodeText(bytes, Latin1);
  Require(IsValidUtf8(text));
  Require(text.find('\0') == std::string::npos);
  const auto items = velmora::SplitDelimited(text);
  Require(text.empty() == items.empty());
  CheckItems(items, text.size());

  // The splitter alone takes any bytes, NUL and broken UTF-8 included.
  CheckItems(velmora::SplitDelimited(bytes), bytes.size());

  for (bool truncated : {false, true}) {
    const auto shown = velmora::AutorunItems({bytes, truncated}, Latin1);
    for (const std::string& item : shown) {
      Require(IsValidUtf8(item));
      Require(item.find('\0') == std::string::npos);
    }
    if (truncated) {
      Require(!shown.empty() && shown.back() == velmora::kRestNotShown);
    } else {
      Require(shown == items);
    }
  }
  return 0;
}
