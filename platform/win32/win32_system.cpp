// Drives, files and message boxes on Win32. Every path is used exactly as
// the caller built it: nothing here expands wildcards for a write, follows a
// link or looks at a volume label for anything but display.
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

Error LastError() { return ErrorFromCode(GetLastError()); }

bool IsHiddenOrSystem(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool IsNothingFound(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES;
}

// What opening a file that is marked for deletion answers.
bool IsDeletePendingCode(DWORD code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_DELETE_PENDING;
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

// Whether a directory listing still shows the one name `path` (no
// wildcards).
bool IsListed(const std::wstring& path) {
  if (path.find_first_of(L"*?") != std::wstring::npos) return false;
  WIN32_FIND_DATAW data;
  FindHandle find{FindFirstFileW(path.c_str(), &data)};
  return find.handle != INVALID_HANDLE_VALUE;
}

// A bare drive entry ("E:") used as a folder names that drive's current
// folder, which Windows keeps in the "=E:" variable; GetFullPathNameW reads
// it and opens nothing. Without it the drive's root is meant.
std::wstring FolderOf(const std::string& folder) {
  const std::wstring wide = Widen(folder);
  if (wide.size() != 2 || wide[1] != L':') return wide;
  wchar_t full[MAX_PATH + 1] = {};
  const DWORD length =
      GetFullPathNameW(wide.c_str(), MAX_PATH + 1, full, nullptr);
  if (length == 0 || length > MAX_PATH) return wide + L'\\';
  return full;
}

// LinkNotOpened() where the entry at `path`, opened as itself, is a link or
// junction (any reparse point); the system's error where it cannot be
// opened; nothing otherwise.
Error LinkAt(const std::wstring& path) {
  FileHandle entry{CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr)};
  BY_HANDLE_FILE_INFORMATION info;
  if (entry.handle == INVALID_HANDLE_VALUE ||
      !GetFileInformationByHandle(entry.handle, &info))
    return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return LinkNotOpened();
  return {};
}

// "E:\..." gives 'E'; a path without a drive letter gives 0.
char LetterOf(const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':' || !std::iswalpha(path[0])) return 0;
  return static_cast<char>(std::towupper(path[0]));
}

}  // namespace

// The last error of a change to `path`. Some file systems refuse a change on
// a read-only volume with "access denied"; the write-protect error says
// what is really the matter. Whether the volume is read-only is what the
// bounded drive query learnt with the drive's label: asking it here would
// wait on this thread, and under Wine a volume query waits on every drive
// the mount manager knows, a network drive that does not answer too. A drive
// the query has not answered for keeps the system's own error.
Error Win32System::WriteError(const std::wstring& path) {
  const DWORD code = GetLastError();
  const char letter = LetterOf(path);
  if (code != ERROR_ACCESS_DENIED || !letter) return ErrorFromCode(code);
  const std::optional<VolumeFacts> facts = rounds_.LastKnown(letter);
  const bool read_only = facts && facts->read_only;
  return ErrorFromCode(read_only ? ERROR_WRITE_PROTECT : code);
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
  if (file.handle == INVALID_HANDLE_VALUE) return WriteError(wide);
  FILE_BASIC_INFO info = {};
  info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(file.handle, FileBasicInfo, &info,
                                  sizeof info))
    return WriteError(wide);
  return {};
}

// A name without wildcards is first looked up alone: where nothing of that
// name is there (the usual answer of a timer's tick), that is the answer,
// without opening the folder to search it.
std::string Win32System::Dir(const std::string& path, Error& error) {
  error = {};
  const std::wstring wide = Widen(path);
  if (wide.find_first_of(L"*?") == std::wstring::npos &&
      GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return "";
  }
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
  const std::wstring wide = Widen(path);
  if (!DeleteFileW(wide.c_str())) return WriteError(wide);
  return {};
}

// A file that another program keeps open after its deletion stays listed,
// but opening it, or reading its attributes, fails with access denied (or
// "delete pending").
bool Win32System::PathExists(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return IsDeletePendingCode(GetLastError()) || IsListed(wide);
}

bool Win32System::DeletePending(const std::string& path) {
  const std::wstring wide = Widen(path);
  if (!IsListed(wide)) return false;
  FileHandle file{CreateFileW(
      wide.c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr)};
  return file.handle == INVALID_HANDLE_VALUE &&
         IsDeletePendingCode(GetLastError());
}

std::vector<std::string> Win32System::ListFiles(const std::string& folder,
                                                const std::string& pattern,
                                                Error& error) {
  error = {};
  std::wstring query = FolderOf(folder);
  if (!query.empty() && query.back() != L':' && query.back() != L'\\')
    query += L'\\';
  query += Widen(pattern);
  WIN32_FIND_DATAW data;
  FindHandle find{FindFirstFileW(query.c_str(), &data)};
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
  const std::wstring wide = Widen(path);
  // The entry itself first, for its attributes alone and a folder too (a
  // junction is a folder, which an open for reading refuses before it can
  // be told from one): a link or junction is refused as such. A plain
  // folder goes on to the open for reading, which refuses it as before.
  error = LinkAt(wide);
  if (error.failed()) return result;
  FileHandle file{CreateFileW(
      wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    error = LastError();
    return result;
  }
  // Opened as itself, a link put there meanwhile is not followed; it is not
  // read either.
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.handle, &info)) {
    error = LastError();
    return result;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    error = LinkNotOpened();
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
