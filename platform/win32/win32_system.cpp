// Drives, files and message boxes on Win32. Every path is used exactly as
// the caller built it: nothing here expands wildcards for a write, follows a
// link or looks at a volume label for anything but display.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwctype>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

Error LastError() { return ErrorFromCode(GetLastError()); }

// "E:" (or "E:\...") gives 'E'; anything else gives 0.
wchar_t DriveLetterOf(const std::string& entry) {
  if (entry.size() < 2 || entry[1] != ':') return 0;
  if (entry.size() > 2 && entry[2] != '\\') return 0;
  const unsigned char c = static_cast<unsigned char>(entry[0]);
  if (c >= 'a' && c <= 'z') return static_cast<wchar_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<wchar_t>(c);
  return 0;
}

std::wstring RootOf(wchar_t letter) { return {letter, L':', L'\\'}; }

bool IsHiddenOrSystem(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool IsNothingFound(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES;
}

// Closes a find handle however the walk ends.
struct FindHandle {
  HANDLE handle;
  ~FindHandle() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

Win32System::Win32System(std::string title) : title_(std::move(title)) {}

std::vector<std::string> Win32System::DriveEntries() {
  std::vector<std::string> entries;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i)) entries.push_back({static_cast<char>('A' + i), ':'});
  }
  return entries;
}

// The label is for the eye only. Network drives are skipped so that a
// refresh never waits on a server, and floppies so that it never waits on a
// spinning disk.
std::string Win32System::DriveRowText(const std::string& entry) {
  const wchar_t letter = DriveLetterOf(entry);
  if (!letter) return entry;
  const std::wstring root = RootOf(letter);
  const UINT type = GetDriveTypeW(root.c_str());
  if (type == DRIVE_REMOTE || type == DRIVE_UNKNOWN ||
      type == DRIVE_NO_ROOT_DIR)
    return entry;
  if (type == DRIVE_REMOVABLE && (letter == L'A' || letter == L'B'))
    return entry;
  wchar_t label[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr,
                             nullptr, nullptr, nullptr, 0))
    return entry;
  std::wstring clean;
  for (const wchar_t* p = label; *p; ++p) {
    if (!std::iswcntrl(*p)) clean += *p;
  }
  if (clean.empty()) return entry;
  return entry + " [" + Narrow(clean) + "]";
}

// Where the current folder is on no drive letter (a network share, or a
// Linux folder outside Wine's drives), the Windows drive counts as current.
std::string Win32System::CurrentDrive() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
  if (length < 2 || length > MAX_PATH || buffer[1] != L':' ||
      !std::iswalpha(buffer[0]))
    length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length < 2 || length > MAX_PATH || buffer[1] != L':') return "";
  return {static_cast<char>(std::towupper(buffer[0])), ':'};
}

// "E:" without a folder makes E: current at its own current folder.
Error Win32System::ChangeDrive(const std::string& entry) {
  if (entry.empty()) return {};
  const unsigned char first = static_cast<unsigned char>(entry[0]);
  if (!std::isalpha(first)) return ErrorFromCode(ERROR_INVALID_DRIVE);
  const wchar_t drive[3] = {static_cast<wchar_t>(std::toupper(first)), L':', 0};
  if (!SetCurrentDirectoryW(drive)) return LastError();
  return {};
}

DriveStatus Win32System::ProbeDrive(const std::string& entry) {
  DriveStatus status;
  const wchar_t letter = DriveLetterOf(entry);
  if (!letter) return status;
  const std::wstring root = RootOf(letter);
  const UINT type = GetDriveTypeW(root.c_str());
  status.exists = type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
  if (!status.exists) return status;
  status.ready = GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr,
                                       nullptr, nullptr, nullptr, 0) != 0;
  return status;
}

// Opens the entry itself (a link, not its target; a folder too) and sets
// its attributes to "normal"; zero times leave the times unchanged.
Error Win32System::SetAttrZero(const std::string& path) {
  const std::wstring wide = Widen(path);
  FileHandle file{CreateFileW(
      wide.c_str(), FILE_WRITE_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) return LastError();
  FILE_BASIC_INFO info = {};
  info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(file.handle, FileBasicInfo, &info,
                                  sizeof info))
    return LastError();
  return {};
}

std::string Win32System::Dir(const std::string& path, Error& error) {
  error = {};
  const std::wstring wide = Widen(path);
  WIN32_FIND_DATAW data;
  FindHandle find{FindFirstFileW(wide.c_str(), &data)};
  if (find.handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (!IsNothingFound(code) && code != ERROR_PATH_NOT_FOUND)
      error = ErrorFromCode(code);
    return "";
  }
  do {
    const DWORD attributes = data.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !IsHiddenOrSystem(attributes))
      return Narrow(data.cFileName);
  } while (FindNextFileW(find.handle, &data));
  return "";
}

Error Win32System::Kill(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos)
    return ErrorFromCode(ERROR_INVALID_NAME);
  if (!DeleteFileW(Widen(path).c_str())) return LastError();
  return {};
}

bool Win32System::PathExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Win32System::ListFiles(const std::string& folder,
                                                const std::string& pattern,
                                                Error& error) {
  error = {};
  std::string query = folder;
  if (!query.empty() && query.back() != ':' && query.back() != '\\')
    query += '\\';
  query += pattern;
  WIN32_FIND_DATAW data;
  FindHandle find{FindFirstFileW(Widen(query).c_str(), &data)};
  if (find.handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (!IsNothingFound(code)) error = ErrorFromCode(code);
    return {};
  }
  std::vector<std::wstring> names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.emplace_back(data.cFileName);
  } while (FindNextFileW(find.handle, &data));
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) {
              return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) ==
                     CSTR_LESS_THAN;
            });
  std::vector<std::string> result;
  for (const auto& name : names) result.push_back(Narrow(name));
  return result;
}

FileBytes Win32System::ReadFile(const std::string& path, std::size_t max_bytes,
                                Error& error) {
  error = {};
  FileBytes result;
  FileHandle file{CreateFileW(Widen(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    error = LastError();
    return result;
  }
  constexpr std::size_t kChunk = 64 * 1024;
  char buffer[kChunk];
  // Reads one byte past the cap to learn whether the file holds more.
  while (result.bytes.size() <= max_bytes) {
    const std::size_t want =
        std::min(kChunk, max_bytes + 1 - result.bytes.size());
    DWORD got = 0;
    if (!::ReadFile(file.handle, buffer, static_cast<DWORD>(want), &got,
                    nullptr)) {
      error = LastError();
      return {};
    }
    if (got == 0) break;
    result.bytes.append(buffer, got);
  }
  if (result.bytes.size() > max_bytes) {
    result.bytes.resize(max_bytes);
    result.truncated = true;
  }
  return result;
}

// Owned by the program's first window that is still open, so the box stays
// in front of it; its modal loop keeps dispatching our timers.
int Win32System::MsgBox(const std::string& text, int flags,
                        const std::string& title) {
  HWND owner = nullptr;
  for (HWND hwnd : TopLevelWindows()) {
    if (IsWindow(hwnd)) {
      owner = hwnd;
      break;
    }
  }
  if (!owner) owner = GetActiveWindow();
  const std::wstring wide_text = Widen(text);
  const std::wstring wide_title = Widen(title.empty() ? title_ : title);
  return MessageBoxW(owner, wide_text.c_str(), wide_title.c_str(),
                     static_cast<UINT>(flags));
}

void Win32System::End() {
  const std::vector<HWND> windows = TopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (IsWindow(*it)) DestroyWindow(*it);
  }
  ExitProcess(0);
}

}  // namespace velmora::win32
