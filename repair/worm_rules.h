// What the repair of a drive decides by name and by what a shortcut starts,
// as pure functions: which shortcuts are the worm's, which folders are
// Windows' own, which names cannot be seen, and what a blank folder is
// renamed to. Paths are UTF-8 with backslashes; drives are entries ("E:").
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "repair/shell_link.h"

namespace velmora {

// The name a folder with a blank or invisible name gets.
inline constexpr std::string_view kRecoveredName = "Recovered files";

// The text with A-Z made a-z: names are compared this way, as Windows
// compares the ASCII names these rules look for.
std::string LowerAscii(std::string_view text);

// Entries in a drive's root that belong to Windows and stay as they are,
// hidden or not: "System Volume Information", "$RECYCLE.BIN", "RECYCLER",
// "RECYCLED" and a folder named "autorun.inf"; and the files pagefile.sys,
// swapfile.sys, hiberfil.sys, bootmgr, BOOTNXT, BOOTSECT.BAK and
// desktop.ini. Case does not matter.
bool IsWindowsOwn(std::string_view name, bool folder);

// Whether a name shows as nothing in a folder window: empty, or made only of
// blanks (U+0020, U+00A0 and the other spaces), control characters,
// zero-width and format characters, fillers and variation selectors.
bool IsInvisibleName(std::string_view name);

// The name as the log and the question show it: itself, or for an
// invisible name its code points, "[U+00A0]" or "[U+0020 U+200B]".
std::string ShownName(std::string_view name);

// "Recovered files", or "Recovered files (2)", (3), ... the first that is
// none of `taken` (compared without regard to ASCII case).
std::string RecoveredName(const std::vector<std::string>& taken);

// Whether the last part of `path` names a command interpreter or script
// host: cmd, wscript, cscript, mshta, rundll32, regsvr32, powershell, pwsh,
// msiexec and the like, bare or with .exe or .com; "%ComSpec%" too.
bool IsCommandInterpreter(std::string_view path);

// Whether `path` ends in the extension of a program or a script (.exe,
// .dll, .vbs, .js, .bat, .ps1, ...).
bool IsProgramOrScript(std::string_view path);

// The words of a command line: quoted parts are one word, the rest splits
// at blanks and at & | ; , ( ) < >.
std::vector<std::string> CommandWords(std::string_view command_line);

// The paths on `drive` that a shortcut names in its target and its
// arguments, made absolute ("E:\x\y.dll"): a path with the drive's letter,
// one starting with a single backslash, or a relative one containing a
// backslash or a dot, taken from the link's working folder when that is on
// the drive and from the root (where the link is) otherwise. "." and ".."
// are resolved, never above the root. Options, variables and bare names of
// command interpreters ("wscript.exe", found on the system's path) are
// skipped.
std::vector<std::string> PathsOnDrive(const ShellLink& link,
                                      std::string_view drive);

// Whether the link starts a command interpreter or script host (by its
// target or any word of its arguments), or a program or script of the drive
// for which `in_hidden_folder` holds.
bool IsWormShortcut(
    const ShellLink& link, std::string_view drive,
    const std::function<bool(const std::string&)>& in_hidden_folder);

}  // namespace velmora
