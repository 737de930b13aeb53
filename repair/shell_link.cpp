// The Shell Link binary format, as far as a shortcut's target, arguments and
// working folder go: the header, the item list (checked and skipped), the
// location information, the five counted strings and the environment
// variable block of the extra data. Every read goes through Span, which
// never reaches past the bytes it was given.
#include "repair/shell_link.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace velmora {
namespace {

constexpr std::size_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046 as it is stored.
constexpr std::string_view kHeaderStart{
    "\x4C\x00\x00\x00\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00"
    "\x00\x46",
    20};

enum LinkFlag : std::uint32_t {
  kHasIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
  kForceNoLinkInfo = 0x100,
};

constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::size_t kLinkInfoMinHeader = 0x1C;
constexpr std::size_t kLinkInfoUnicodeHeader = 0x24;
constexpr std::uint32_t kEnvironmentBlockSignature = 0xA0000001;
constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::size_t kEnvironmentAnsiSize = 260;
constexpr std::size_t kEnvironmentUnicodeSize = 520;

using Status = ShellLinkStatus;

// Little-endian reads that report whether the bytes are there.
struct Span {
  std::string_view bytes;

  bool Has(std::size_t at, std::size_t count) const {
    return at <= bytes.size() && count <= bytes.size() - at;
  }
  std::uint32_t U16(std::size_t at) const {
    return static_cast<std::uint32_t>(Byte(at) | Byte(at + 1) << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    return U16(at) | U16(at + 2) << 16;
  }
  std::uint32_t Byte(std::size_t at) const {
    return static_cast<unsigned char>(bytes[at]);
  }
};

std::string FromAnsi(std::string_view raw, const AnsiDecoder& ansi) {
  raw = raw.substr(0, raw.find('\0'));
  return raw.empty() ? std::string() : ansi(raw);
}

std::string FromUtf16(std::string_view raw, const AnsiDecoder& ansi) {
  for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
    if (raw[i] == '\0' && raw[i + 1] == '\0') {
      raw = raw.substr(0, i);
      break;
    }
  }
  if (raw.empty()) return {};
  return DecodeText(std::string("\xFF\xFE") + std::string(raw), ansi);
}

// A NUL-terminated string starting at `at` inside `span`, in UTF-16 or the
// ANSI code page; false when it has no terminator inside the span.
bool TerminatedString(const Span& span, std::size_t at, bool unicode,
                      const AnsiDecoder& ansi, std::string& out) {
  if (at >= span.bytes.size()) return false;
  const std::string_view rest = span.bytes.substr(at);
  if (!unicode) {
    if (rest.find('\0') == std::string_view::npos) return false;
    out = FromAnsi(rest, ansi);
    return true;
  }
  for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
    if (rest[i] == '\0' && rest[i + 1] == '\0') {
      out = FromUtf16(rest.substr(0, i), ansi);
      return true;
    }
  }
  return false;
}

// Walks the item list to check that its sizes add up; every item is at
// least two bytes long, so the walk always ends.
Status CheckIdList(const Span& list) {
  std::size_t at = 0;
  while (true) {
    if (!list.Has(at, 2)) return Status::kTruncated;
    const std::size_t size = list.U16(at);
    if (size == 0) return Status::kOk;
    if (size < 2) return Status::kMalformed;
    if (!list.Has(at, size)) return Status::kMalformed;
    at += size;
  }
}

// The local path of the location information: base path and common path
// suffix, preferring their UTF-16 forms where the header has them.
Status ReadLinkInfo(const Span& info, const AnsiDecoder& ansi,
                    std::string& path) {
  const std::size_t header = info.U32(4);
  if (header < kLinkInfoMinHeader || header > info.bytes.size())
    return Status::kMalformed;
  if (!(info.U32(8) & kVolumeIdAndLocalBasePath)) return Status::kOk;
  const bool unicode = header >= kLinkInfoUnicodeHeader;
  const std::size_t base_at = unicode ? info.U32(28) : info.U32(16);
  const std::size_t suffix_at = unicode ? info.U32(32) : info.U32(24);
  std::string base, suffix;
  if (!TerminatedString(info, base_at, unicode, ansi, base))
    return Status::kMalformed;
  if (suffix_at != 0 &&
      !TerminatedString(info, suffix_at, unicode, ansi, suffix))
    return Status::kMalformed;
  path = base + suffix;
  return Status::kOk;
}

// The target of the environment variable block, if the extra data holds
// one. Extra data is optional: a broken block ends the walk quietly.
std::string EnvironmentTarget(const Span& data, const AnsiDecoder& ansi) {
  std::size_t at = 0;
  while (data.Has(at, 8)) {
    const std::size_t size = data.U32(at);
    if (size < 8 || !data.Has(at, size)) break;
    if (data.U32(at + 4) == kEnvironmentBlockSignature &&
        size >= kEnvironmentBlockSize) {
      const std::string_view block = data.bytes.substr(at + 8);
      std::string target = FromUtf16(
          block.substr(kEnvironmentAnsiSize, kEnvironmentUnicodeSize), ansi);
      if (target.empty())
        target = FromAnsi(block.substr(0, kEnvironmentAnsiSize), ansi);
      return target;
    }
    at += size;
  }
  return {};
}

// A cut-off start of a shortcut is "truncated", anything else is not one.
Status CheckHeader(std::string_view bytes) {
  const std::size_t shown = std::min(bytes.size(), kHeaderStart.size());
  if (bytes.substr(0, shown) != kHeaderStart.substr(0, shown))
    return Status::kNotAShellLink;
  return bytes.size() < kHeaderSize ? Status::kTruncated : Status::kOk;
}

}  // namespace

ShellLinkResult ReadShellLink(std::string_view bytes, const AnsiDecoder& ansi) {
  ShellLinkResult result;
  if (bytes.size() > kMaxShellLinkBytes) {
    result.status = Status::kTooLarge;
    return result;
  }
  result.status = CheckHeader(bytes);
  if (!result.ok()) return result;
  const Span all{bytes};
  const std::uint32_t flags = all.U32(20);
  std::size_t at = kHeaderSize;
  const auto fail = [&result](Status status) {
    result.status = status;
    result.link = {};
    return result;
  };

  if (flags & kHasIdList) {
    if (!all.Has(at, 2)) return fail(Status::kTruncated);
    const std::size_t size = all.U16(at);
    at += 2;
    if (!all.Has(at, size)) return fail(Status::kTruncated);
    const Status list = CheckIdList(Span{bytes.substr(at, size)});
    if (list != Status::kOk) return fail(list);
    at += size;
  }

  std::string local_path;
  if (flags & kHasLinkInfo) {
    if (!all.Has(at, 4)) return fail(Status::kTruncated);
    const std::size_t size = all.U32(at);
    if (size < kLinkInfoMinHeader) return fail(Status::kMalformed);
    if (!all.Has(at, size)) return fail(Status::kTruncated);
    const Status info =
        ReadLinkInfo(Span{bytes.substr(at, size)}, ansi, local_path);
    if (info != Status::kOk) return fail(info);
    if (flags & kForceNoLinkInfo) local_path.clear();
    at += size;
  }

  ShellLink& link = result.link;
  const bool unicode = flags & kIsUnicode;
  const std::pair<LinkFlag, std::string*> strings[] = {
      {kHasName, &link.name},
      {kHasRelativePath, &link.relative_path},
      {kHasWorkingDir, &link.working_dir},
      {kHasArguments, &link.arguments},
      {kHasIconLocation, &link.icon_location},
  };
  for (const auto& [flag, out] : strings) {
    if (!(flags & flag)) continue;
    if (!all.Has(at, 2)) return fail(Status::kTruncated);
    const std::size_t length = all.U16(at) * (unicode ? 2 : 1);
    at += 2;
    if (!all.Has(at, length)) return fail(Status::kTruncated);
    const std::string_view raw = bytes.substr(at, length);
    *out = unicode ? FromUtf16(raw, ansi) : FromAnsi(raw, ansi);
    at += length;
  }

  link.target = local_path;
  if (link.target.empty())
    link.target = EnvironmentTarget(Span{bytes.substr(at)}, ansi);
  if (link.target.empty()) link.target = link.relative_path;
  return result;
}

std::string_view ShellLinkStatusText(ShellLinkStatus status) {
  switch (status) {
    case Status::kOk:
      return "a shortcut";
    case Status::kNotAShellLink:
      return "not a shortcut";
    case Status::kTruncated:
      return "a shortcut cut short";
    case Status::kMalformed:
      return "a damaged shortcut";
    case Status::kTooLarge:
      return "a file too large for a shortcut";
  }
  return "not a shortcut";
}

}  // namespace velmora
