// Files made, read and removed through Win32 by the tests that run under
// Wine (or on Windows), whatever their attributes. Paths may start with
// \\?\, so that names the system would otherwise trim (a trailing blank)
// are reached too.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace win32_files {

// Writes `bytes` to `path`, replacing any file there whatever its
// attributes, then gives it `attributes`.
inline void Put(const std::wstring& path, const std::string& bytes,
                DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE)
      << "cannot create " << path << ": error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size()) << path;
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes))
      << path << ": error " << GetLastError();
}

// The bytes of the file at `path`; nothing when it cannot be opened.
inline std::optional<std::string> Read(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

// Deletes everything inside `folder` (a path ending in a backslash),
// whatever its attributes. A link to a folder is removed as a link: what
// it points at is left alone.
inline void EmptyFolder(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, DWORD>> found;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      found.emplace_back(folder + name, data.dwFileAttributes);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const auto& [path, attributes] : found) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      DeleteFileW(path.c_str());
      continue;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) EmptyFolder(path + L"\\");
    if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
  }
}

}  // namespace win32_files
