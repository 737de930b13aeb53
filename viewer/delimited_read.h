// Reading autorun.inf as delimited text: the bytes of the file are decoded to
// UTF-8 and split into items, the way a sequential delimited read takes them
// one at a time. The file comes from whatever medium is in the drive, so
// every byte sequence is accepted: nothing here can fail, and the work is
// linear in the size of the input.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace velmora {

// The viewer reads at most this much of the file.
inline constexpr std::size_t kMaxAutorunBytes = std::size_t{1} << 20;

// The last item shown when the file is longer than kMaxAutorunBytes.
inline constexpr std::string_view kRestNotShown =
    "[The rest of the file is not shown: only its first 1 MiB was read.]";

// Shown in place of each NUL character, so that a NUL never cuts the text
// short: U+2400 SYMBOL FOR NULL.
inline constexpr std::string_view kNulSymbol = "\xE2\x90\x80";

// Converts text in the system's ANSI code page to UTF-8
// (System::AnsiToUtf8). It is never handed a NUL byte.
using AnsiDecoder = std::function<std::string(std::string_view)>;

// Decodes the bytes of a text file to UTF-8:
// - FF FE starts UTF-16 little endian, FE FF UTF-16 big endian;
// - EF BB BF starts UTF-8;
// - anything else is in the ANSI code page and goes through `ansi`.
// The byte-order mark is dropped. Broken UTF-16 or UTF-8 (a lone surrogate,
// an odd last byte, a bad sequence) becomes U+FFFD; every NUL becomes
// kNulSymbol. The result is always valid UTF-8 when `ansi` gives valid UTF-8.
std::string DecodeText(std::string_view bytes, const AnsiDecoder& ansi);

// Splits text into items:
// - an item ends at a comma or at the end of a line (CR LF, LF or CR);
// - blanks (spaces and tabs) at the start of an item are skipped; other
//   blanks are kept;
// - an item whose first character is a double quote runs to the next double
//   quote and may hold commas; the two quotes are dropped. What follows the
//   closing quote up to the comma or line end is kept, so nothing in the
//   file is hidden. A quote never runs past the end of its line: without a
//   closing quote the item ends with the line;
// - a comma always starts a further item, so "a," gives "a" and "";
// - an empty line gives one empty item, so the blank lines of the file stay
//   visible; the line ending at the very end of the text starts no new line;
// - an empty text gives no item.
// No item holds a CR or LF.
std::vector<std::string> SplitDelimited(std::string_view text);

// The items the viewer shows for a file read with ReadFile: decoded, split,
// and, where the file was longer than what was read, kRestNotShown last.
// A UTF-16 code unit or UTF-8 sequence cut by the size limit is dropped.
std::vector<std::string> AutorunItems(const FileBytes& file,
                                      const AnsiDecoder& ansi);

}  // namespace velmora
