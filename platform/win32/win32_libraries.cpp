// The DLL search of the process, kept to System32.
#include "platform/win32/win32_libraries.h"

#include <string>

namespace velmora::win32 {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories, or null where the system lacks it. The
// LOAD_LIBRARY_SEARCH_* flags came with it (KB2533623): where it is missing,
// LoadLibraryExW refuses them. Looked up on each call, with no static to
// guard: RestrictDllSearch runs before the C runtime has started.
SetDefaultDllDirectoriesFn SetDefaultDirectories() {
  return reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                             "SetDefaultDllDirectories")));
}

}  // namespace

bool RestrictDllSearch() {
  if (auto set = SetDefaultDirectories();
      set && set(LOAD_LIBRARY_SEARCH_SYSTEM32))
    return true;
  return SetDllDirectoryW(L"") != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (SetDefaultDirectories())
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return LoadFromSystemFolder(name);
}

HMODULE LoadFromSystemFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace velmora::win32
