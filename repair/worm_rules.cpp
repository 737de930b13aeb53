// The repair's decisions by name. Names are compared without regard to
// ASCII case, as Windows compares the names these rules look for.
#include "repair/worm_rules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

namespace velmora {
namespace {

template <std::size_t N>
bool IsOneOf(std::string_view lower,
             const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), lower) != names.end();
}

constexpr std::array<std::string_view, 12> kWindowsFolders = {
    "system volume information",
    "$recycle.bin",
    "recycler",
    "recycled",
    "config.msi",
    "msocache",
    "$windows.~bt",
    "$windows.~ws",
    "$winreagent",
    "$sysreset",
    "$getcurrent",
    "autorun.inf"};
constexpr std::array<std::string_view, 11> kWindowsRootFiles = {
    "pagefile.sys", "swapfile.sys", "hiberfil.sys", "bootmgr",
    "bootnxt",      "bootsect.bak", "ntldr",        "ntdetect.com",
    "boot.ini",     "io.sys",       "msdos.sys"};
constexpr std::array<std::string_view, 3> kWindowsFolderFiles = {
    "desktop.ini", "thumbs.db", "ehthumbs.db"};

constexpr std::array<std::string_view, 28> kInterpreters = {
    "cmd",      "command",  "wscript",    "cscript",  "mshta",
    "rundll32", "regsvr32", "powershell", "pwsh",     "powershell_ise",
    "msiexec",  "wmic",     "conhost",    "forfiles", "bitsadmin",
    "certutil", "schtasks", "hh",         "msbuild",  "installutil",
    "regasm",   "regsvcs",  "odbcconf",   "cmstp",    "wsl",
    "bash",     "java",     "javaw"};
constexpr std::array<std::string_view, 8> kCodeHosts = {
    "rundll32", "regsvr32", "wscript", "cscript",
    "mshta",    "msiexec",  "java",    "javaw"};

constexpr std::array<std::string_view, 20> kProgramExtensions = {
    "exe", "com", "scr", "pif", "bat", "cmd", "js",  "jse", "vbs", "vbe",
    "wsf", "wsh", "hta", "ps1", "dll", "cpl", "msi", "jar", "ocx", "sys"};

// One code point of UTF-8 at `at`, moving `at` on; U+FFFD for a broken
// sequence, which is visible.
char32_t NextCodePoint(std::string_view text, std::size_t& at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80             ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
  if (length == 0 || at + length > text.size()) {
    ++at;
    return 0xFFFD;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) {
      ++at;
      return 0xFFFD;
    }
    c = c << 6 | (next & 0x3F);
  }
  at += length;
  return c;
}

bool IsInvisible(char32_t c) {
  struct Range {
    char32_t first, last;
  };
  static constexpr Range kRanges[] = {
      {0x0000, 0x0020},   {0x007F, 0x00A0},   {0x00AD, 0x00AD},
      {0x034F, 0x034F},   {0x061C, 0x061C},   {0x115F, 0x1160},
      {0x1680, 0x1680},   {0x17B4, 0x17B5},   {0x180B, 0x180E},
      {0x2000, 0x200F},   {0x2028, 0x202F},   {0x205F, 0x206F},
      {0x2800, 0x2800},   {0x3000, 0x3000},   {0x3164, 0x3164},
      {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},
      {0xFFF9, 0xFFFB},   {0x1D173, 0x1D17A}, {0xE0000, 0xE007F},
      {0xE0100, 0xE01EF},
  };
  for (const Range& range : kRanges) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

// A blank shows as a gap; every other invisible character (a control, a
// format or bidi control, a zero-width character, a filler, a variation
// selector) can hide what is around it or turn it round (U+202E).
bool IsBlank(char32_t c) {
  return c == 0x20 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

void AppendCodePoint(char32_t c, std::string& text) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  text += code;
}

// The last part of a path, after the last backslash or slash.
std::string_view LastPart(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') ||
          (path[0] >= 'a' && path[0] <= 'z'));
}

// `relative` below the folder `base` (both inside one drive, without the
// drive), "." and ".." resolved and never leaving the root.
std::string Resolve(std::string_view base, std::string_view relative) {
  std::vector<std::string_view> parts;
  for (std::string_view path : {base, relative}) {
    std::size_t at = 0;
    while (at <= path.size()) {
      std::size_t end = path.find_first_of("\\/", at);
      if (end == std::string_view::npos) end = path.size();
      const std::string_view part = path.substr(at, end - at);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      at = end + 1;
    }
  }
  std::string joined;
  for (std::string_view part : parts) (joined += '\\') += part;
  return joined.empty() ? "\\" : joined;
}

// Makes `path` absolute on `drive` (relative ones below `base`); false
// when it is on another drive, a network path, an option or a variable.
bool OnDrive(std::string_view path, std::string_view drive,
             std::string_view base, std::string& absolute) {
  if (path.empty() || path[0] == '%' || path[0] == '/' || path[0] == '-')
    return false;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return false;
  // "http://x", "vbscript:..." and streams ("a:b") are no file of the drive.
  if (path.find(':', 2) != std::string_view::npos) return false;
  if (HasDriveLetter(path)) {
    if (LowerAscii(path.substr(0, 2)) != LowerAscii(drive.substr(0, 2)))
      return false;
    absolute = std::string(drive.substr(0, 2)) + Resolve("", path.substr(2));
    return true;
  }
  if (path[0] == '\\') {
    absolute = std::string(drive.substr(0, 2)) + Resolve("", path);
    return true;
  }
  if (path.find_first_of("\\.") == std::string_view::npos) return false;
  // A bare "wscript.exe" is found on the system's path, not on the drive.
  if (path.find('\\') == std::string_view::npos && IsCommandInterpreter(path))
    return false;
  absolute = std::string(drive.substr(0, 2)) + Resolve(base, path);
  return true;
}

// A path of the drive that a shortcut names: whether it is the target, and
// whether it is run as code: given first to a host of RunsFileAsCode, or
// read by cmd as its commands.
struct NamedPath {
  std::string path;
  bool target = false;
  bool code = false;
};

bool IsOption(std::string_view word) {
  return !word.empty() && (word[0] == '/' || word[0] == '-');
}

// The paths on the drive of `place` that the target and the words of the
// arguments name, made absolute, each once, the first kPathsLookedAt of
// them. The target is read as the first word of the command line, so that
// what cmd is given as input (`cmd.exe` with `<X`) counts as its commands.
std::vector<NamedPath> NamedOnDrive(const ShellLink& link,
                                    std::string_view place) {
  const std::string_view drive = place.substr(0, 2);
  std::string base(place.size() > 2 ? place.substr(2) : std::string_view());
  std::string working;
  if (OnDrive(link.working_dir, drive, "", working)) base = working.substr(2);
  std::vector<CommandWord> words =
      ReadCommandLine("\"" + link.target + "\" " + link.arguments);
  std::vector<NamedPath> paths;
  // A shortcut's arguments may hold tens of thousands of words.
  std::unordered_map<std::string, std::size_t> index;
  bool code_next = false;
  for (std::size_t i = 0; i < words.size() && paths.size() < kPathsLookedAt;
       ++i) {
    const std::string& word = words[i].text;
    const bool code = (code_next && !IsOption(word)) || words[i].fed_to_cmd;
    if (!IsOption(word)) code_next = RunsFileAsCode(word);
    std::string absolute;
    if (!OnDrive(word, drive, base, absolute)) continue;
    const auto [known, added] = index.emplace(absolute, paths.size());
    if (added)
      paths.push_back(
          {std::move(absolute), i == 0 && !link.target.empty(), code});
    else
      paths[known->second].code = paths[known->second].code || code;
  }
  return paths;
}

}  // namespace

std::string ProgramName(std::string_view path) {
  std::string name = LowerAscii(LastPart(path));
  for (std::string_view extension : {".exe", ".com"}) {
    if (name.size() > extension.size() && name.ends_with(extension)) {
      name.resize(name.size() - extension.size());
      break;
    }
  }
  return name;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsWindowsOwn(std::string_view name, bool folder) {
  const std::string lower = LowerAscii(name);
  if (!folder)
    return IsOneOf(lower, kWindowsRootFiles) || IsWindowsOwnInAnyFolder(name);
  // chkdsk's FOUND.000, FOUND.001, ...
  if (lower.size() == 9 && lower.starts_with("found.") &&
      std::all_of(lower.begin() + 6, lower.end(),
                  [](char c) { return c >= '0' && c <= '9'; }))
    return true;
  return IsOneOf(lower, kWindowsFolders);
}

bool IsWindowsOwnInAnyFolder(std::string_view name) {
  return IsOneOf(LowerAscii(name), kWindowsFolderFiles);
}

bool IsInvisibleName(std::string_view name) {
  for (std::size_t at = 0; at < name.size();) {
    if (!IsInvisible(NextCodePoint(name, at))) return false;
  }
  return true;
}

std::string ShownName(std::string_view name) {
  std::string shown;
  if (IsInvisibleName(name)) {
    for (std::size_t at = 0; at < name.size();) {
      shown += shown.empty() ? "[" : " ";
      AppendCodePoint(NextCodePoint(name, at), shown);
    }
    return shown + "]";
  }
  for (std::size_t at = 0; at < name.size();) {
    const std::size_t start = at;
    const char32_t c = NextCodePoint(name, at);
    if (IsInvisible(c) && !IsBlank(c)) {
      shown += '[';
      AppendCodePoint(c, shown);
      shown += ']';
    } else {
      shown += name.substr(start, at - start);
    }
  }
  return shown;
}

std::string RecoveredName(const std::vector<std::string>& taken) {
  std::vector<std::string> lower;
  for (const std::string& name : taken) lower.push_back(LowerAscii(name));
  std::string name(kRecoveredName);
  // Each name tried is taken at most once, so this ends within
  // taken.size() + 1 tries.
  for (std::size_t number = 2;
       std::find(lower.begin(), lower.end(), LowerAscii(name)) != lower.end();
       ++number)
    name = std::string(kRecoveredName) + " (" + std::to_string(number) + ")";
  return name;
}

bool IsCommandInterpreter(std::string_view path) {
  const std::string name = ProgramName(path);
  return name == "%comspec%" || IsOneOf(std::string_view(name), kInterpreters);
}

bool RunsFileAsCode(std::string_view path) {
  return IsOneOf(std::string_view(ProgramName(path)), kCodeHosts);
}

bool IsProgramOrScript(std::string_view path) {
  const std::string name = LowerAscii(LastPart(path));
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos &&
         IsOneOf(std::string_view(name).substr(dot + 1), kProgramExtensions);
}

std::vector<std::string> PathsOnDrive(const ShellLink& link,
                                      std::string_view drive) {
  std::vector<std::string> paths;
  for (const NamedPath& named : NamedOnDrive(link, drive))
    paths.push_back(named.path);
  return paths;
}

std::string HiddenFileStarted(const ShellLink& link, std::string_view drive,
                              const HiddenOnDrive& hidden_on_drive) {
  const std::vector<NamedPath> named = NamedOnDrive(link, drive);
  for (const NamedPath& path : named) {
    if (path.target && IsProgramOrScript(path.path) &&
        hidden_on_drive(path.path))
      return path.path;
  }
  // An interpreter's arguments say what it starts.
  if (!IsCommandInterpreter(link.target)) return {};
  for (const NamedPath& path : named) {
    if (!path.target && hidden_on_drive(path.path)) return path.path;
  }
  return {};
}

bool IsWormShortcut(const ShellLink& link, std::string_view drive,
                    const HiddenOnDrive& hidden_on_drive) {
  return !HiddenFileStarted(link, drive, hidden_on_drive).empty();
}

std::vector<std::string> ProgramsNamed(const ShellLink& link,
                                       std::string_view drive,
                                       const HiddenOnDrive& hidden_on_drive) {
  std::vector<std::string> programs;
  for (const NamedPath& path : NamedOnDrive(link, drive)) {
    if ((path.code || IsProgramOrScript(path.path)) &&
        hidden_on_drive(path.path))
      programs.push_back(path.path);
  }
  return programs;
}

std::vector<std::string> OpenedBesides(const ShellLink& link,
                                       std::string_view drive) {
  std::vector<std::string> opened;
  for (const NamedPath& path : NamedOnDrive(link, drive)) {
    if (!path.target && !path.code && !IsProgramOrScript(path.path))
      opened.push_back(path.path);
  }
  return opened;
}

}  // namespace velmora
