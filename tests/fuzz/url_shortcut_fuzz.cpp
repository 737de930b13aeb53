// libFuzzer target for the Internet shortcut reader: any bytes give a
// target without a crash or a hang, in valid UTF-8 without NUL, and no
// longer than the input could hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "repair/url_shortcut.h"
#include "tests/fuzz/shortcut_fuzz_common.h"
#include "tests/fuzz/utf8_check.h"

using velmora::test::Ascii;
using velmora::test::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const velmora::ShellLink link = velmora::ReadUrlShortcut(bytes, Ascii);
  Require(velmora::test::IsValidUtf8(link.target));
  Require(link.target.find('\0') == std::string::npos);
  // UTF-16 text grows at most from 2 bytes to 3, a NUL shown to 3 bytes.
  Require(link.target.size() <= size * 3);
  Require(link.arguments.empty() && link.working_dir.empty());
  return 0;
}
