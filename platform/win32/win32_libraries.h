// Where the program looks for the DLLs loaded while it runs: the system
// folder only, not the program's own folder (typically Downloads, where a
// drive-by download can have left a DLL of a system name), except on a
// Windows 7 without KB2533623 (see RestrictDllSearch).
#pragma once

#include <windows.h>

namespace velmora::win32 {

// Makes System32 the only folder searched for every DLL loaded by bare name
// from now on, by the program or by a system component:
// SetDefaultDllDirectories where the system has it (Windows 8, Windows 7 with
// KB2533623), else SetDllDirectoryW(L""), which at least drops the current
// folder. Called by the program's entry point before the C runtime starts,
// so it uses kernel32 alone. False when neither could be set.
bool RestrictDllSearch();

// Loads the system DLL `name` (a bare file name) from System32: by name with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where the system has that flag, else by its
// full path, its own imports looked for next to it. Null when it is not
// there.
HMODULE LoadSystemLibrary(const wchar_t* name);
// The fallback of LoadSystemLibrary: `name` by its full path in System32.
HMODULE LoadFromSystemFolder(const wchar_t* name);

}  // namespace velmora::win32
