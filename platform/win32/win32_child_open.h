// Opening an entry by its name inside a folder that is already open:
// ntdll's NtCreateFile with the folder's handle as the root of the name.
// Nothing above the entry is looked up again by its path, so no folder on
// the way can have been swapped for a link or junction, and the entry
// itself is opened as itself (FILE_OPEN_REPARSE_POINT). NtCreateFile and
// NtSetInformationFile (and NtQueryInformationFile) are in ntdll on every
// Windows; they are looked up at run time, as ntdll is not linked.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/file_tree.h"
#include "platform/platform.h"

namespace velmora::win32 {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle =
    std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Owns `handle`: nothing for INVALID_HANDLE_VALUE, CreateFileW's failure.
inline OwnedHandle Owned(HANDLE handle) {
  return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

inline constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What the handle's entry is, or false.
inline bool InfoOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(handle, &info) != 0;
}

inline EntryId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
              info.nFileIndexLow};
}

inline bool IsPlainFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What the children of a folder are opened for besides `access`.
enum class ChildKind { kAny, kFolder, kFile };

// Opens `name` (one name, no backslash) in the open folder `folder` as
// itself, with `access` and `share`; nullptr, with the system's error in
// `error`, where it cannot be opened (a file asked for as a folder, or the
// other way round, included).
OwnedHandle OpenChild(HANDLE folder, std::wstring_view name, ACCESS_MASK access,
                      DWORD share, ChildKind kind, Error& error);

// The file system's index of the entry open as `handle` (what
// GetFileInformationByHandle gives as its file index, without asking for
// its name and volume as that call also does), or false.
bool IndexOf(HANDLE handle, std::uint64_t& index);

// Gives the entry open as `entry`, which lies in the open folder `folder`,
// the name `new_name` in that folder; a name that is taken is not replaced.
Error RenameInFolder(HANDLE entry, HANDLE folder, std::wstring_view new_name);

}  // namespace velmora::win32
