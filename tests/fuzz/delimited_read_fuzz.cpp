// libFuzzer target for reading autorun.inf: any bytes must decode to valid
// UTF-8 without NUL and split into items without line ends, in bounded
// size, whether or not the file was cut by the size limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/fake/latin1.h"
#include "tests/fuzz/utf8_check.h"
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
  Require(velmora::test::IsValidUtf8(text));
  Require(text.find('\0') == std::string::npos);
  const auto items = velmora::SplitDelimited(text);
  Require(text.empty() == items.empty());
  CheckItems(items, text.size());

  // The splitter alone takes any bytes, NUL and broken UTF-8 included.
  CheckItems(velmora::SplitDelimited(bytes), bytes.size());

  for (bool truncated : {false, true}) {
    const auto shown = velmora::AutorunItems({bytes, truncated}, Latin1);
    for (const std::string& item : shown) {
      Require(velmora::test::IsValidUtf8(item));
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
