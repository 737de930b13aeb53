// libFuzzer target for the shortcut reader: any bytes give a status without
// a crash or a hang, a shortcut's strings are valid UTF-8 without NUL, and
// no string is longer than the input could hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "repair/shell_link.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Each byte becomes one letter, so the decoded text stays bounded.
std::string Ascii(std::string_view ansi) {
  std::string text;
  for (char c : ansi) {
    Require(c != '\0');
    text += static_cast<char>(c & 0x7F ? c & 0x7F : '?');
  }
  return text;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                         : (lead & 0xF8) == 0xF0 ? 4
                                                 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

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
    Require(IsValidUtf8(*text));
    Require(text->find('\0') == std::string::npos);
    // UTF-16 text grows at most from 2 bytes to 3.
    Require(text->size() <= size * 2);
  }
  return 0;
}
