// Files on the test drives for the end-to-end harness, made, read and
// removed through Win32 whatever their attributes.
#include <gtest/gtest.h>

#include <cctype>

#include "harness.h"

namespace e2e {

std::vector<char> TestDrives() {
  std::string letters = Env("VELMORA_DRIVES");
  if (letters.empty()) letters = "DEF";
  std::vector<char> drives;
  for (char c : letters)
    drives.push_back(
        static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return drives;
}

namespace {

void RemoveTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

}  // namespace

void ClearDrive(char letter) {
  std::wstring root = {static_cast<wchar_t>(letter), L':'};
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((root + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  for (const auto& name : names) RemoveTree(root + L"\\" + name);
}

void ClearTestDrives() {
  for (char drive : TestDrives()) ClearDrive(drive);
}

void PutFile(const std::string& path, const std::string& bytes,
             DWORD attributes) {
  std::wstring wide = Wide(path);
  for (size_t slash = wide.find(L'\\', 3); slash != std::wstring::npos;
       slash = wide.find(L'\\', slash + 1))
    CreateDirectoryW(wide.substr(0, slash).c_str(), nullptr);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE)
      << "cannot create " << path << ": " << ErrorText(GetLastError());
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size()) << path;
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes))
      << path << ": " << ErrorText(GetLastError());
}

bool Exists(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str());
}

DWORD DosBits(const std::string& path) {
  DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
  return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

TickMarker::TickMarker(char drive)
    : path_(std::string{drive} + ":\\autorun.inf") {}

void TickMarker::Arm() const {
  CreateDirectoryW(Wide(path_).c_str(), nullptr);
  ASSERT_TRUE(SetFileAttributesW(Wide(path_).c_str(), FILE_ATTRIBUTE_HIDDEN))
      << path_ << ": " << ErrorText(GetLastError());
  ASSERT_TRUE(Armed()) << path_;
}

bool TickMarker::Armed() const {
  const DWORD attributes = Attributes(path_);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_HIDDEN);
}

bool TickMarker::WaitTick(DWORD timeout_ms) const {
  // Polled often, so that the moment is seen within a few ms.
  return WaitFor(
      [&] {
        const DWORD attributes = Attributes(path_);
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               !(attributes & FILE_ATTRIBUTE_HIDDEN);
      },
      timeout_ms, 2);
}

}  // namespace e2e
