// Files on the test drives for the end-to-end harness, made, read and
// removed through Win32 whatever their attributes.
#include <gtest/gtest.h>

#include <cctype>

#include "../common/win32_files.h"
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

void ClearDrive(char letter) {
  win32_files::EmptyFolder({static_cast<wchar_t>(letter), L':', L'\\'});
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
  win32_files::Put(wide, bytes, attributes);
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
  return win32_files::Read(Wide(path)).value_or("");
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
