// Making files and folders on the test drives through Win32, for the
// backend and removal tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {

// Writes `contents` to `path` (replacing any file there), then gives it
// `attributes`.
inline void MakeFile(const std::string& path, const std::string& contents = "x",
                     DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const std::wstring wide = Widen(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()),
            &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, contents.size());
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes)) << path;
}

// Makes the folder `path` where it is missing, then gives it `attributes`.
inline void MakeFolder(const std::string& path,
                       DWORD attributes = FILE_ATTRIBUTE_DIRECTORY) {
  const std::wstring wide = Widen(path);
  CreateDirectoryW(wide.c_str(), nullptr);
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes)) << path;
}

// Deletes everything inside `folder` (which ends in a backslash), whatever
// its attributes.
inline void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::string path = folder + Narrow(name);
    SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      EmptyFolder(path + "\\");
      RemoveDirectoryW(Widen(path).c_str());
    } else {
      DeleteFileW(Widen(path).c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

inline DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str());
}

}  // namespace velmora::win32
