// What the repair of a drive decides by name and by what a shortcut starts,
// as pure functions: which shortcuts are the worm's and which files they
// start, which entries are Windows' own, which names cannot be seen, and
// what a blank folder is renamed to. Paths are UTF-8 with backslashes;
// drives are entries ("E:").
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "repair/command_line.h"
#include "repair/shell_link.h"

namespace velmora {

// The name a folder with a blank or invisible name gets.
inline constexpr std::string_view kRecoveredName = "Recovered files";

// The text with A-Z made a-z: names are compared this way, as Windows
// compares the ASCII names these rules look for.
std::string LowerAscii(std::string_view text);

// Entries in a drive's root that Windows and common tools keep hidden and
// that stay as they are: the folders "System Volume Information",
// "$RECYCLE.BIN", "RECYCLER", "RECYCLED", "FOUND.000" to "FOUND.999"
// (chkdsk's), "Config.Msi", "MSOCache", "$WINDOWS.~BT", "$Windows.~WS",
// "$WinREAgent", "$SysReset", "$GetCurrent" and a folder named
// "autorun.inf"; the files pagefile.sys, swapfile.sys, hiberfil.sys,
// bootmgr, BOOTNXT, BOOTSECT.BAK, ntldr, NTDETECT.COM, boot.ini, IO.SYS,
// MSDOS.SYS and those of IsWindowsOwnInAnyFolder. Case does not matter.
bool IsWindowsOwn(std::string_view name, bool folder);

// Files Windows keeps hidden in any folder, for the folder's look and its
// thumbnails: desktop.ini, Thumbs.db and ehthumbs.db.
bool IsWindowsOwnInAnyFolder(std::string_view name);

// Whether a name shows as nothing in a folder window: empty, or made only of
// blanks (U+0020, U+00A0 and the other spaces), control characters,
// zero-width and format characters, fillers and variation selectors.
bool IsInvisibleName(std::string_view name);

// The name as the log and the question show it: itself, or for an
// invisible name its code points, "[U+00A0]" or "[U+0020 U+200B]". In a
// name that shows, each invisible character but a blank (a control, a
// format or bidi control, a zero-width character) is written by its code
// point, as it could hide or turn round what is around it:
// "photo[U+202E]gpj.exe".
std::string ShownName(std::string_view name);

// "Recovered files", or "Recovered files (2)", (3), ... the first that is
// none of `taken` (compared without regard to ASCII case).
std::string RecoveredName(const std::vector<std::string>& taken);

// Whether the last part of `path` names a command interpreter or script
// host: cmd, wscript, cscript, mshta, rundll32, regsvr32, powershell, pwsh,
// msiexec and the like, bare or with .exe or .com; "%ComSpec%" too.
bool IsCommandInterpreter(std::string_view path);

// Whether `path` ends in the extension of a program or a script (.exe,
// .dll, .scr, .com, .pif, .cpl, .bat, .cmd, .vbs, .vbe, .js, .jse, .wsf,
// .wsh, .ps1, .hta, .msi, .jar, ...).
bool IsProgramOrScript(std::string_view path);

// Whether the last part of `path` names a host that runs the first file it
// is given as code whatever that file's name: rundll32 and regsvr32 (a
// library), wscript and cscript (a script), mshta, msiexec, java and javaw.
bool RunsFileAsCode(std::string_view path);

// The last part of a path in lower case, without ".exe" or ".com":
// "C:\Windows\System32\CMD.EXE" gives "cmd".
std::string ProgramName(std::string_view path);

// A shortcut's paths of the drive looked at, its target first: one that
// would be the worm's only through a later path is taken for the user's.
// It bounds the folders a crafted shortcut can have the look list.
inline constexpr std::size_t kPathsLookedAt = 16;

// The paths on `drive` that a shortcut names in its target and its
// arguments, the first kPathsLookedAt of them, each once, made absolute
// ("E:\x\y.dll"): a path with the drive's letter, one starting with a
// single backslash, or a relative one containing a backslash or a dot,
// taken from the link's working folder when that is on the drive and from
// the folder holding the link otherwise. Here and below, `drive` is the
// drive ("E:") for a shortcut of the root, or the folder holding the
// shortcut ("E:\Work") for one below it. "." and ".."
// are resolved, never above the root. Options, variables and bare names of
// command interpreters ("wscript.exe", found on the system's path) are
// skipped.
std::vector<std::string> PathsOnDrive(const ShellLink& link,
                                      std::string_view drive);

// Answers whether an absolute path of the drive ("E:\_\run.vbs") is a
// file that is hidden or system, or lies in a hidden or blank-named folder
// of the drive.
using HiddenOnDrive = std::function<bool(const std::string& path)>;

// The file of `drive` through which the link starts something hidden, or
// nothing when there is none: its target, where that is a program or
// script for which `hidden_on_drive` holds; or, where the target is a
// command interpreter or script host, the first path of its arguments for
// which `hidden_on_drive` holds.
std::string HiddenFileStarted(const ShellLink& link, std::string_view drive,
                              const HiddenOnDrive& hidden_on_drive);

// Whether the link is the worm's: whether it starts something hidden on
// the same drive (HiddenFileStarted). An interpreter with nothing hidden of
// this drive, a visible script, or a program of another drive is the
// user's.
bool IsWormShortcut(const ShellLink& link, std::string_view drive,
                    const HiddenOnDrive& hidden_on_drive);

// The worm programs a worm shortcut names: the files of `drive` for which
// `hidden_on_drive` holds that are programs or scripts by their extension,
// that a host of RunsFileAsCode is given first, or that cmd is given to
// read as commands (`cmd<X`, `type X|cmd`). A document it names is a
// decoy and the user's. In the order named, each once.
std::vector<std::string> ProgramsNamed(const ShellLink& link,
                                       std::string_view drive,
                                       const HiddenOnDrive& hidden_on_drive);

// What a worm shortcut stood for: the paths of `drive` that its arguments
// name and that are not run as code (ProgramsNamed's rules without the
// question whether they are hidden, and no program or script by its
// extension): the document or folder it was put in place of, which the
// worm opens after its program so that nothing seems amiss. In the order
// named, each once.
std::vector<std::string> OpenedBesides(const ShellLink& link,
                                       std::string_view drive);

}  // namespace velmora
