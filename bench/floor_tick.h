// The floor loop of one automatic-removal tick, written by hand: per tick
// one GetLogicalDrives; per drive one GetDriveTypeW and one
// GetVolumeInformationW without the label; per ready drive one attribute
// clear and one FindFirstFileW. The program's tick is compared with it, in
// time (removal_tick) and in CPU share (timer_cpu).
#pragma once

#include <windows.h>

#include <string>

namespace bench {

inline void ClearAttributes(const std::wstring& path) {
  HANDLE file = CreateFileW(
      path.c_str(), FILE_WRITE_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILE_BASIC_INFO info = {};
  info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
  CloseHandle(file);
}

// The least a tick can do. Gives the number of ready drives.
inline int FloorTick() {
  const DWORD mask = GetLogicalDrives();
  int ready = 0;
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + i);
    const std::wstring root = {letter, L':', L'\\'};
    const UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) continue;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr,
                               nullptr, nullptr, 0))
      continue;
    ++ready;
    const std::wstring path = root + L"autorun.inf";
    ClearAttributes(path);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  return ready;
}

}  // namespace bench
