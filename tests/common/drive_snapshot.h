// Every entry below a folder, by its path relative to that folder (UTF-8):
// its attributes and, for a file, its bytes. Links and junctions are
// recorded, not entered. Taken before and after a change to a drive, to see
// exactly what the change did.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "win32_files.h"

namespace drive_snapshot {

using Entries = std::map<std::string, std::string>;

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                       static_cast<int>(text.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      utf8.data(), size, nullptr, nullptr);
  return utf8;
}

// `folder` ends in a backslash; `relative` is the key prefix of its entries.
inline void Add(const std::wstring& folder, const std::string& relative,
                Entries& entries) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + name;
    const std::string key = relative + Utf8(name);
    const DWORD attributes = data.dwFileAttributes;
    const bool folder_entry = attributes & FILE_ATTRIBUTE_DIRECTORY;
    entries[key] =
        std::to_string(attributes) + "|" +
        (folder_entry ? std::string()
                      : win32_files::Read(path).value_or("<unreadable>"));
    if (folder_entry && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      Add(path + L"\\", key + "\\", entries);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

inline Entries Of(const std::wstring& folder) {
  Entries entries;
  Add(folder, "", entries);
  return entries;
}

}  // namespace drive_snapshot
