// Reading an Internet shortcut (.url), the INI-style file whose
// [InternetShortcut] section holds the line "URL=...": what it opens when
// that is a file ("file:///E:/_/run.vbs") or a plain path ("E:\_\run.vbs"),
// as a ShellLink with that target, so that the worm rules judge it as they
// judge a .lnk. The file is only read; nothing it names is opened. The
// bytes come from whatever medium is in the drive: every input is
// accepted, and the work is linear in its size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "repair/shell_link.h"
#include "viewer/delimited_read.h"

namespace velmora {

// An Internet shortcut is read only when it is at most this long; Windows
// writes them in a few hundred bytes.
inline constexpr std::size_t kMaxUrlShortcutBytes = std::size_t{64} << 10;

// The shortcut's target: the local path of a file URL ("%20" and other
// escapes decoded as UTF-8, slashes made backslashes; "file://E:/x", as
// Windows takes it, is the drive's path too), a URL= value that is a path
// as it is, and nothing for any other URL (http:, a server's file, none at
// all). Text goes through DecodeText.
ShellLink ReadUrlShortcut(std::string_view bytes, const AnsiDecoder& ansi);

}  // namespace velmora
