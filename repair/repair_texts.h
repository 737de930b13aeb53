// Every text of the drive repair in one place: the question asked before
// anything changes, and the activity-log lines. Paths in them show an
// invisible folder name by its code points ("E:\[U+00A0]\Photos").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_tree.h"
#include "platform/platform.h"
#include "repair/shell_link.h"

namespace velmora {

inline constexpr const char* kRepairTitle = "Repair Hidden Files";
inline constexpr int kRepairQuestionFlags = kYesNoInformation;
// OK with the exclamation mark (MB_ICONEXCLAMATION): the refusal and the
// nothing-to-do boxes.
inline constexpr int kRepairNoticeFlags = 48;
// A progress line every this many steps of a long repair.
inline constexpr std::size_t kProgressEvery = 5000;
// The question names at most this many entries of each kind.
inline constexpr std::size_t kNamesShown = 3;
// What a worm shortcut starts is shown in at most this many bytes.
inline constexpr std::size_t kStartsShown = 160;

inline constexpr const char* kShortcutDeletedLine = "Worm shortcut deleted: ";
inline constexpr const char* kFolderShownLine = "Folder made visible: ";
inline constexpr const char* kFileShownLine = "File made visible: ";
inline constexpr const char* kFolderRenamedLine = "Folder renamed: ";
inline constexpr const char* kProgramLeftLine =
    "Worm program left in place, hidden, for an antivirus: ";
inline constexpr const char* kLinkLeftLine = "Link or junction left as it is: ";
inline constexpr const char* kShortcutLeftLine = "Shortcut left in place (";
inline constexpr const char* kRepairFailedLine = "Repair Failed: ";

// The path as the log shows it.
std::string ShownPath(const std::string& path);

// "a, b, c and 4 more" (at most kNamesShown names).
std::string FirstNames(const std::vector<std::string>& names);

// One indented line per name, "\n   a\n   b\n   c\n   and 4 more" (at
// most kNamesShown names).
std::string FirstLines(const std::vector<std::string>& names);

// "1 file", "12 files".
std::string Count(std::size_t count, const char* one, const char* many);

// What a worm shortcut starts through `file`, the hidden file of the drive
// it names: "rundll32.exe with E:\_\x.dll" where its target is an
// interpreter, else the file ("E:\[U+00A0]\w.exe"), names as ShownName
// writes them; at most kStartsShown bytes, cut with "…".
std::string WhatItStarts(const ShellLink& link, const std::string& file);
// "Photos.lnk (starts rundll32.exe with E:\_\x.dll)".
std::string ShortcutStarts(const std::string& name, const std::string& starts);
// "Worm shortcut deleted: E:\Photos.lnk (starts rundll32.exe with ...)".
std::string ShortcutDeletedLine(const std::string& path,
                                const std::string& starts);

// "Folder made visible: E:\[U+00A0] (12 files)".
std::string FolderShownLine(const std::string& path, std::size_t files);
// "Folder renamed: E:\[U+00A0] to Recovered files".
std::string FolderRenamedLine(const std::string& path,
                              const std::string& new_name);
// "Shortcut left in place (a damaged shortcut): E:\x.lnk".
std::string ShortcutLeftLine(const std::string& path,
                             std::string_view what_it_is);
// "Repair Failed: deleting E:\x.lnk (Access is denied.)".
std::string RepairFailedLine(const char* doing, const std::string& path,
                             const std::string& reason);

// "Repair Hidden Files on E:…", the menu item.
std::string RepairMenuText(const std::string& drive);
// The box for the drive Windows runs from.
std::string WindowsDriveRefusedText(const std::string& drive);
// The box for a drive that is Windows' own by what it is (`tie` is not
// kNone): `windows_drive` ("C:") is the drive Windows runs from.
std::string WindowsTieRefusedText(const std::string& drive, WindowsTie tie,
                                  const std::string& windows_drive);
// "Repair of E:: 5000 of 102000 steps done".
std::string RepairProgressLine(const std::string& drive, std::size_t done,
                               std::size_t total);

// "Nothing to repair on E:: no worm shortcuts and no hidden files."
std::string NothingToRepairText(const std::string& drive);
// "Repairing hidden files on E:" and the closing lines.
std::string RepairStartLine(const std::string& drive);
std::string RepairStoppedLine(const std::string& drive);

}  // namespace velmora
