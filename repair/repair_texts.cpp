#include "repair/repair_texts.h"

#include <algorithm>

#include "repair/worm_rules.h"

namespace velmora {

std::string ShownPath(const std::string& path) {
  std::string shown;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    if (at > 0) shown += '\\';
    // A drive's root ends in a backslash: its empty last part stays empty.
    const std::string part = path.substr(at, end - at);
    shown += part.empty() && end == path.size() ? part : ShownName(part);
    at = end + 1;
  }
  return shown;
}

std::string FirstNames(const std::vector<std::string>& names) {
  std::string text;
  const std::size_t shown = std::min(names.size(), kNamesShown);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  if (names.size() > shown)
    text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

std::string FirstLines(const std::vector<std::string>& names) {
  std::string text;
  const std::size_t shown = std::min(names.size(), kNamesShown);
  for (std::size_t i = 0; i < shown; ++i) text += "\n   " + names[i];
  if (names.size() > shown)
    text += "\n   and " + std::to_string(names.size() - shown) + " more";
  return text;
}

std::string Count(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string WhatItStarts(const ShellLink& link, const std::string& file) {
  std::string starts = ShownPath(file);
  if (IsCommandInterpreter(link.target))
    starts =
        ShownName(link.target.substr(link.target.find_last_of("\\/") + 1)) +
        " with " + starts;
  if (starts.size() <= kStartsShown) return starts;
  // Cut before a UTF-8 lead byte, so that no character is split.
  std::size_t cut = kStartsShown;
  while (cut > 0 && (static_cast<unsigned char>(starts[cut]) & 0xC0) == 0x80)
    --cut;
  return starts.substr(0, cut) + "\xE2\x80\xA6";
}

std::string ShortcutStarts(const std::string& name, const std::string& starts) {
  return name + " (starts " + starts + ")";
}

std::string ShortcutDeletedLine(const std::string& path,
                                const std::string& starts) {
  return kShortcutDeletedLine + ShortcutStarts(ShownPath(path), starts);
}

std::string FolderShownLine(const std::string& path, std::size_t files) {
  return kFolderShownLine + ShownPath(path) + " (" +
         Count(files, "file", "files") + ")";
}

std::string FolderRenamedLine(const std::string& path,
                              const std::string& new_name) {
  return kFolderRenamedLine + ShownPath(path) + " to " + new_name;
}

std::string ShortcutLeftLine(const std::string& path,
                             std::string_view what_it_is) {
  return kShortcutLeftLine + std::string(what_it_is) + "): " + ShownPath(path);
}

std::string RepairFailedLine(const char* doing, const std::string& path,
                             const std::string& reason) {
  return kRepairFailedLine + std::string(doing) + " " + ShownPath(path) + " (" +
         reason + ")";
}

std::string RepairMenuText(const std::string& drive) {
  return "Repair Hidden Files on " + drive + "\xE2\x80\xA6";
}

std::string WindowsDriveRefusedText(const std::string& drive) {
  return drive +
         " is the drive Windows runs from: its hidden and system files are "
         "Windows' own, so it is not repaired.";
}

std::string WindowsTieRefusedText(const std::string& drive, WindowsTie tie,
                                  const std::string& windows_drive) {
  const std::string own =
      ": its hidden and system files are Windows' own, so it is not repaired.";
  switch (tie) {
    case WindowsTie::kNone:
      return "";
    case WindowsTie::kWindowsDrive:
      return WindowsDriveRefusedText(drive);
    case WindowsTie::kSameVolume:
      return drive + " is the drive Windows runs from (" + windows_drive +
             ") under another letter" + own;
    case WindowsTie::kSubst:
      return drive + " is a SUBST letter of a folder on the drive Windows " +
             "runs from (" + windows_drive + ")" + own;
    case WindowsTie::kHoldsWindows:
      return drive + " holds a Windows installation (" + drive +
             "\\Windows\\System32)" + own;
  }
  return "";
}

std::string RepairProgressLine(const std::string& drive, std::size_t done,
                               std::size_t total) {
  return "Repair of " + drive + ": " + std::to_string(done) + " of " +
         std::to_string(total) + " steps done";
}

std::string NothingToRepairText(const std::string& drive) {
  return "Nothing to repair on " + drive +
         ": no worm shortcuts and no hidden files were found.";
}

std::string RepairStartLine(const std::string& drive) {
  return "Repairing hidden files on " + drive;
}

std::string RepairStoppedLine(const std::string& drive) {
  return "Repair of " + drive + " stopped before its end";
}

}  // namespace velmora
