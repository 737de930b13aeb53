// libFuzzer target for the shortcut reader: any bytes give a status without
// a crash or a hang, a shortcut's strings are valid UTF-8 without NUL, and
// no string is longer than the input could hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "repair/shell_link.h"
#include "tests/fuzz/shortcut_fuzz_common.h"
#include "tests/fuzz/utf8_check.h"

using velmora::test::Ascii;
using velmora::test::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const velmora::ShellLinkResult result = velmora::ReadShellLink(bytes, Ascii);
  Require(!velmora::ShellLinkStatusText(result.status).empty());
  const velmora::ShellLink& link = result.link;
  for (const std::string* text :
       {&link.target, &link.arguments, &link.working_dir, &link.relative_path,
        &link.name, &link.icon_location}) {
    if (!result.ok()) Require(text->empty());
    Require(velmora::test::IsValidUtf8(*text));
    Require(text->find('\0') == std::string::npos);
    // UTF-16 text grows at most from 2 bytes to 3.
    Require(text->size() <= size * 2);
  }
  return 0;
}
