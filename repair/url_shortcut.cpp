#include "repair/url_shortcut.h"

#include <vector>

#include "repair/worm_rules.h"

namespace velmora {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" escapes decoded; a broken escape stays as it is. A decoded NUL
// would cut the path short on Windows, so it gives no path at all.
bool Unescape(std::string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high =
        text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low < 0) {
      out += text[i];
      continue;
    }
    const char c = static_cast<char>(high * 16 + low);
    if (c == '\0') return false;
    out += c;
    i += 2;
  }
  return true;
}

// Escapes may spell broken UTF-8; such a byte becomes U+FFFD, so that the
// path stays valid UTF-8.
std::string ValidUtf8(const std::string& text) {
  return DecodeText("\xEF\xBB\xBF" + text,
                    [](std::string_view) { return std::string(); });
}

// Whether `text` starts with a drive ("E:", then a slash or nothing).
bool StartsWithDrive(std::string_view text) {
  return text.size() >= 2 && text[1] == ':' &&
         ((text[0] >= 'A' && text[0] <= 'Z') ||
          (text[0] >= 'a' && text[0] <= 'z')) &&
         (text.size() == 2 || text[2] == '/' || text[2] == '\\');
}

// The local path of a file URL: "file:///E:/a/b", "file://E:/a",
// "file://localhost/E:/a", "file:E:/a"; empty for a server's file
// ("file://server/share").
std::string FilePath(std::string_view url) {
  std::string_view rest = url.substr(5);  // after "file:"
  if (rest.starts_with("//") && !StartsWithDrive(rest.substr(2))) {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    const std::string host = LowerAscii(rest.substr(0, slash));
    if (!host.empty() && host != "localhost") return {};
    if (slash == std::string_view::npos) return {};
    rest.remove_prefix(slash);
  }
  while (rest.starts_with("/")) rest.remove_prefix(1);
  std::string path;
  if (!Unescape(rest, path)) return {};
  return ValidUtf8(path);
}

std::string Backslashed(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The value of URL= in [InternetShortcut], the first one if there are more.
std::string UrlValue(std::string_view text) {
  bool in_section = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trimmed(text.substr(at, end - at));
    at = end + 1;
    if (line.starts_with("[")) {
      in_section = LowerAscii(line) == "[internetshortcut]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (in_section && equals != std::string_view::npos &&
        LowerAscii(Trimmed(line.substr(0, equals))) == "url")
      return std::string(Trimmed(line.substr(equals + 1)));
  }
  return {};
}

}  // namespace

ShellLink ReadUrlShortcut(std::string_view bytes, const AnsiDecoder& ansi) {
  ShellLink link;
  const std::string url = UrlValue(DecodeText(bytes, ansi));
  const std::string lower = LowerAscii(url.substr(0, 5));
  if (lower == "file:") {
    link.target = Backslashed(FilePath(url));
  } else if (url.find(':', 2) == std::string::npos) {
    // No scheme: a path as it is ("E:\_\run.vbs", "\_\run.vbs").
    link.target = Backslashed(url);
  }
  return link;
}

}  // namespace velmora
