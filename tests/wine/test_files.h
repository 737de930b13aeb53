// Making files and folders on the test drives through Win32, for the
// backend and removal tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/win32_platform.h"
#include "tests/common/win32_files.h"

namespace velmora::win32 {

// Writes `contents` to `path` (replacing any file there), then gives it
// `attributes`.
inline void MakeFile(const std::string& path, const std::string& contents = "x",
                     DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  win32_files::Put(Widen(path), contents, attributes);
}

// Makes the folder `path` where it is missing, then gives it `attributes`.
inline void MakeFolder(const std::string& path,
                       DWORD attributes = FILE_ATTRIBUTE_DIRECTORY) {
  const std::wstring wide = Widen(path);
  CreateDirectoryW(wide.c_str(), nullptr);
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes)) << path;
}

// The contents of the file at `path`, "<missing>" when it cannot be read.
inline std::string Contents(const std::string& path) {
  return win32_files::Read(Widen(path)).value_or("<missing>");
}

// The root of `drive` ("D:") as a \\?\ path, which reaches every name.
inline std::wstring LongRoot(const std::string& drive) {
  return L"\\\\?\\" + Widen(drive) + L"\\";
}

// Deletes everything on `drive` ("D:"), whatever its attributes.
inline void EmptyDrive(const std::string& drive) {
  win32_files::EmptyFolder(LongRoot(drive));
}

inline DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str());
}

}  // namespace velmora::win32
