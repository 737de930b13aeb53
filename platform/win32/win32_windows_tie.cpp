// How a drive stands to the Windows the program runs on, by what the drive
// is rather than by its letter: the Windows folder's volume under another
// letter, a SUBST letter of a folder of that volume, or a drive with a
// Windows installation of its own.
#include <windows.h>

#include "platform/win32/win32_child_open.h"
#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

// The identity of the folder `root` ("C:\", "C:\Windows") as a handle of it
// gives it (Wine gives a second letter of a drive a serial of its own in
// GetVolumeInformationW, but not in the handle); zeros where it cannot be
// opened.
EntryId FolderIdAt(const std::wstring& root) {
  const OwnedHandle handle = Owned(CreateFileW(
      root.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  return handle && InfoOf(handle.get(), info) ? IdOf(info) : EntryId{};
}

std::wstring VolumeName(const std::wstring& root) {
  wchar_t name[MAX_PATH + 1] = {};
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH + 1))
    return {};
  return name;
}

// Whether the drive's root (`root`, "\\?\E:\") holds \Windows\System32:
// Windows opened as itself in the root, then System32 as itself in it. A
// link or junction on the way is no Windows of this drive, and it is never
// followed (one that leads to a server would make Windows sign in there).
bool HoldsWindows(const std::wstring& root) {
  OwnedHandle folder = Owned(CreateFileW(
      root.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) return false;
  for (const wchar_t* name : {L"Windows", L"System32"}) {
    Error error;
    folder = OpenChild(folder.get(), name,
                       FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll,
                       ChildKind::kFolder, error);
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !InfoOf(folder.get(), info) ||
        !IsPlainFolder(info.dwFileAttributes))
      return false;
  }
  return true;
}

}  // namespace

// A SUBST letter's device is the folder it stands for ("\??\C:\work"),
// where a volume's is a device ("\Device\HarddiskVolume2").
std::wstring SubstTarget(wchar_t letter) {
  const wchar_t device[] = {letter, L':', 0};
  wchar_t target[MAX_PATH + 8] = {};
  if (!QueryDosDeviceW(device, target, MAX_PATH + 8)) return {};
  const std::wstring_view text = target;
  if (!text.starts_with(L"\\??\\") || text.size() < 6 || text[5] != L':')
    return {};
  return std::wstring(text.substr(4));
}

std::string Win32FileTree::WindowsDrive() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length < 2 || length > MAX_PATH || folder[1] != L':') return "";
  return Narrow(std::wstring_view(folder, 2));
}

WindowsTie Win32FileTree::TieToWindows(const std::string& drive) {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (drive.size() < 2) return WindowsTie::kNone;
  const std::wstring root = Widen(drive.substr(0, 2)) + L'\\';
  if (length >= 3 && length <= MAX_PATH) {
    const std::wstring windows(folder, length);
    const std::wstring windows_root = windows.substr(0, 3);
    if (CompareStringOrdinal(root.c_str(), 2, windows_root.c_str(), 2, TRUE) ==
        CSTR_EQUAL)
      return WindowsTie::kWindowsDrive;
    const EntryId windows_id = FolderIdAt(windows);
    const auto same_volume = [&](const std::wstring& other) {
      const EntryId id = FolderIdAt(other);
      if (id.volume_serial != 0 && id.volume_serial == windows_id.volume_serial)
        return true;
      const std::wstring name = VolumeName(other.substr(0, 3));
      return !name.empty() && name == VolumeName(windows_root);
    };
    const std::wstring subst = SubstTarget(root[0]);
    if (!subst.empty() &&
        (CompareStringOrdinal(subst.c_str(), 1, windows_root.c_str(), 1,
                              TRUE) == CSTR_EQUAL ||
         same_volume(subst)))
      return WindowsTie::kSubst;
    if (same_volume(root)) return WindowsTie::kSameVolume;
  }
  return HoldsWindows(L"\\\\?\\" + root) ? WindowsTie::kHoldsWindows
                                         : WindowsTie::kNone;
}

}  // namespace velmora::win32
