// Builds shortcut files in the Shell Link binary format for the tests: the
// parts the reader takes, each optional, with room to break any size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::test {

struct LinkParts {
  bool id_list = true;        // a one-item list before the location
  bool link_info = true;      // location information holding local_path
  bool unicode_info = false;  // its paths in UTF-16 too
  std::string local_path;
  bool unicode = true;  // the counted strings in UTF-16
  std::string name, relative_path, working_dir, arguments, icon_location;
  std::string environment_target;  // an environment variable block
};

inline void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}
inline void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
inline void Set32(std::string& out, std::size_t at, std::uint32_t value) {
  std::string bytes;
  Put32(bytes, value);
  out.replace(at, 4, bytes);
}

// UTF-8 to UTF-16 little endian, for well-formed test text.
inline std::string Utf16(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k)
      c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(length);
    if (c >= 0x10000) {
      Put16(out, 0xD800 | (c - 0x10000) >> 10);
      Put16(out, 0xDC00 | (c & 0x3FF));
    } else {
      Put16(out, c);
    }
  }
  return out;
}

inline std::string LinkInfo(const LinkParts& parts) {
  const std::size_t header = parts.unicode_info ? 0x24 : 0x1C;
  std::string volume;
  Put32(volume, 0x10), Put32(volume, 2), Put32(volume, 0x1234),
      Put32(volume, 0x10);
  std::string body = volume;
  const std::size_t base = header + body.size();
  body += parts.local_path + '\0';
  const std::size_t suffix = header + body.size();
  body += '\0';
  std::size_t base_unicode = 0, suffix_unicode = 0;
  if (parts.unicode_info) {
    base_unicode = header + body.size();
    body += Utf16(parts.local_path) + std::string(2, '\0');
    suffix_unicode = header + body.size();
    body += std::string(2, '\0');
  }
  std::string info;
  Put32(info, static_cast<std::uint32_t>(header + body.size()));
  Put32(info, static_cast<std::uint32_t>(header));
  Put32(info, 1);  // volume id and local base path
  Put32(info, static_cast<std::uint32_t>(header));
  Put32(info, static_cast<std::uint32_t>(base));
  Put32(info, 0);
  Put32(info, static_cast<std::uint32_t>(suffix));
  if (parts.unicode_info) {
    Put32(info, static_cast<std::uint32_t>(base_unicode));
    Put32(info, static_cast<std::uint32_t>(suffix_unicode));
  }
  return info + body;
}

inline std::string CountedString(const std::string& text, bool unicode) {
  std::string out;
  const std::string encoded = unicode ? Utf16(text) : text;
  Put16(out, static_cast<std::uint32_t>(unicode ? encoded.size() / 2
                                                : encoded.size()));
  return out + encoded;
}

inline std::string EnvironmentBlock(const std::string& target) {
  std::string block;
  Put32(block, 0x314);
  Put32(block, 0xA0000001);
  std::string ansi = target;
  ansi.resize(260, '\0');
  std::string wide = Utf16(target);
  wide.resize(520, '\0');
  return block + ansi + wide;
}

// The header is 0x4C bytes; the item list starts right after it.
inline std::string WriteLink(const LinkParts& parts) {
  std::uint32_t flags = 0;
  std::string body;
  if (parts.id_list) {
    flags |= 0x1;
    std::string list;
    Put16(list, 20);
    list += std::string(18, '\x1F');
    Put16(list, 0);
    Put16(body, static_cast<std::uint32_t>(list.size()));
    body += list;
  }
  if (parts.link_info) {
    flags |= 0x2;
    body += LinkInfo(parts);
  }
  const std::pair<std::uint32_t, const std::string*> strings[] = {
      {0x4, &parts.name},
      {0x8, &parts.relative_path},
      {0x10, &parts.working_dir},
      {0x20, &parts.arguments},
      {0x40, &parts.icon_location}};
  for (const auto& [flag, text] : strings) {
    if (text->empty()) continue;
    flags |= flag;
    body += CountedString(*text, parts.unicode);
  }
  if (parts.unicode) flags |= 0x80;
  if (!parts.environment_target.empty()) {
    flags |= 0x200;
    body += EnvironmentBlock(parts.environment_target);
  }
  body += std::string(4, '\0');  // the terminal block

  std::string header(
      "\x4C\x00\x00\x00\x01\x14\x02\x00\x00\x00\x00\x00\xC0"
      "\x00\x00\x00\x00\x00\x00\x46",
      20);
  Put32(header, flags);
  header.resize(0x4C, '\0');
  return header + body;
}

}  // namespace velmora::test
