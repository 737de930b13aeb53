// Reading a shortcut (.lnk) file in the Shell Link binary format, without
// asking the shell: the link is only read, never resolved, and nothing it
// names is opened. The bytes come from whatever medium is in the drive, so
// every input is accepted and every offset and size in it is checked; the
// work is linear in the size of the input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "viewer/delimited_read.h"

namespace velmora {

// A shortcut is read only when it is at most this long; worms' links are a
// few KiB, and Windows itself writes none larger.
inline constexpr std::size_t kMaxShellLinkBytes = std::size_t{1} << 20;

enum class ShellLinkStatus {
  kOk,
  kNotAShellLink,  // wrong header size or class id
  kTruncated,      // a part the flags announce runs past the end
  kMalformed,      // sizes or offsets that contradict each other
  kTooLarge,       // longer than kMaxShellLinkBytes
};

// What a shortcut starts. Paths are as written in the link, in UTF-8.
struct ShellLink {
  // The local path from the link's location information (base path and
  // common suffix); where the link has none, the target of its environment
  // variable block (unexpanded, "%ComSpec%"); else its relative path.
  std::string target;
  std::string arguments;
  std::string working_dir;
  std::string relative_path;
  std::string name;
  std::string icon_location;
};

struct ShellLinkResult {
  ShellLinkStatus status = ShellLinkStatus::kNotAShellLink;
  ShellLink link;  // filled only with kOk

  bool ok() const { return status == ShellLinkStatus::kOk; }
};

// Reads a whole .lnk file. Strings in the ANSI code page go through `ansi`;
// UTF-16 strings are decoded here, a broken one giving U+FFFD.
ShellLinkResult ReadShellLink(std::string_view bytes, const AnsiDecoder& ansi);

// "not a shortcut", "cut short", ... for the log.
std::string_view ShellLinkStatusText(ShellLinkStatus status);

}  // namespace velmora
