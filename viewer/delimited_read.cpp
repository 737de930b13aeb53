#include "viewer/delimited_read.h"

namespace velmora {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

unsigned char Byte(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

Encoding EncodingOf(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return Encoding::kUtf16Le;
  if (StartsWith(bytes, "\xFE\xFF")) return Encoding::kUtf16Be;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return Encoding::kUtf8;
  return Encoding::kAnsi;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c == 0) {
    out += kNulSymbol;
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) -> char32_t {
    return big_endian ? (Byte(bytes, i) << 8 | Byte(bytes, i + 1))
                      : (Byte(bytes, i + 1) << 8 | Byte(bytes, i));
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? kReplacement : c);
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacement);  // an odd last byte
  return out;
}

// Length of the well-formed UTF-8 sequence at `i`, 0 where it is broken
// (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or cut short by the end).
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t i) {
  const unsigned char lead = Byte(bytes, i);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = Byte(bytes, i + k);
    const unsigned char min = k == 1 ? low : 0x80;
    const unsigned char max = k == 1 ? high : 0xBF;
    if (next < min || next > max) return 0;
  }
  return length;
}

std::string DecodeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8SequenceAt(bytes, i);
    if (length == 0) {
      AppendUtf8(out, kReplacement);
      ++i;
    } else if (length == 1 && bytes[i] == '\0') {
      out += kNulSymbol;
      ++i;
    } else {
      out += bytes.substr(i, length);
      i += length;
    }
  }
  return out;
}

// The ANSI converter is handed the text between NUL bytes, piece by piece,
// so that no converter can stop at a NUL.
std::string DecodeAnsi(std::string_view bytes, const AnsiDecoder& ansi) {
  std::string out;
  while (!bytes.empty()) {
    const std::size_t nul = bytes.find('\0');
    const std::string_view piece = bytes.substr(0, nul);
    if (!piece.empty()) out += ansi(piece);
    if (nul == std::string_view::npos) break;
    out += kNulSymbol;
    bytes.remove_prefix(nul + 1);
  }
  return out;
}

// Drops a UTF-16 code unit or UTF-8 sequence that the size limit cut in two.
std::string_view WithoutCutEnd(std::string_view bytes) {
  const Encoding encoding = EncodingOf(bytes);
  if (encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be) {
    if (bytes.size() % 2 != 0) bytes.remove_suffix(1);
    if (bytes.size() >= 4) {
      const std::size_t n = bytes.size();
      const unsigned high = encoding == Encoding::kUtf16Le ? Byte(bytes, n - 1)
                                                           : Byte(bytes, n - 2);
      if (high >= 0xD8 && high <= 0xDB) bytes.remove_suffix(2);
    }
  } else if (encoding == Encoding::kUtf8) {
    // The last lead byte, at most three bytes back and after the mark.
    std::size_t i = bytes.size();
    while (i > 3 && bytes.size() - i < 3 && (Byte(bytes, i - 1) & 0xC0) == 0x80)
      --i;
    if (i > 3) {
      const unsigned char lead = Byte(bytes, i - 1);
      const std::size_t length = lead >= 0xF0   ? 4
                                 : lead >= 0xE0 ? 3
                                 : lead >= 0xC0 ? 2
                                                : 1;
      if (i - 1 + length > bytes.size()) bytes = bytes.substr(0, i - 1);
    }
  }
  return bytes;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string DecodeText(std::string_view bytes, const AnsiDecoder& ansi) {
  switch (EncodingOf(bytes)) {
    case Encoding::kUtf16Le:
      return DecodeUtf16(bytes.substr(2), false);
    case Encoding::kUtf16Be:
      return DecodeUtf16(bytes.substr(2), true);
    case Encoding::kUtf8:
      return DecodeUtf8(bytes.substr(3));
    case Encoding::kAnsi:
      break;
  }
  return DecodeAnsi(bytes, ansi);
}

std::vector<std::string> SplitDelimited(std::string_view text) {
  std::vector<std::string> items;
  const std::size_t n = text.size();
  std::size_t i = 0;
  if (n == 0) return items;
  while (true) {
    while (i < n && IsBlank(text[i])) ++i;
    std::string item;
    if (i < n && text[i] == '"') {
      ++i;
      const std::size_t start = i;
      while (i < n && text[i] != '"' && !IsLineEnd(text[i])) ++i;
      item.append(text.substr(start, i - start));
      if (i < n && text[i] == '"') ++i;
    }
    const std::size_t start = i;
    while (i < n && text[i] != ',' && !IsLineEnd(text[i])) ++i;
    item.append(text.substr(start, i - start));
    items.push_back(std::move(item));
    if (i == n) break;
    if (text[i] == ',') {
      ++i;
      continue;
    }
    i += text[i] == '\r' && i + 1 < n && text[i + 1] == '\n' ? 2 : 1;
    if (i == n) break;  // the last line's ending starts no new line
  }
  return items;
}

std::vector<std::string> AutorunItems(const FileBytes& file,
                                      const AnsiDecoder& ansi) {
  const std::string_view bytes =
      file.truncated ? WithoutCutEnd(file.bytes) : std::string_view(file.bytes);
  std::vector<std::string> items = SplitDelimited(DecodeText(bytes, ansi));
  if (file.truncated) items.emplace_back(kRestNotShown);
  return items;
}

}  // namespace velmora
