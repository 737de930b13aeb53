// The repair's file tree on Win32. Every path gets the \\?\ prefix, so that
// long paths work and names ending in a blank or a dot (which worms use) are
// taken as they are. Entries are opened with FILE_FLAG_OPEN_REPARSE_POINT,
// so a link or junction is changed or read as itself and never followed;
// renames never copy.
#include "platform/win32/win32_file_tree.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Error LastError() { return ErrorFromCode(GetLastError()); }

// "E:" and "E:\" give "\\?\E:\"; "E:\a" gives "\\?\E:\a".
std::wstring LongPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
  return L"\\\\?\\" + wide;
}

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct FindCloser {
  void operator()(HANDLE handle) const { FindClose(handle); }
};
using OwnedHandle =
    std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;
using OwnedFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

// Opens the entry itself, a reparse point included, or gives nullptr.
OwnedHandle OpenEntry(const std::string& path, DWORD access, DWORD flags) {
  const HANDLE handle =
      CreateFileW(LongPath(path).c_str(), access, kShareAll, nullptr,
                  OPEN_EXISTING, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

}  // namespace

// FindExInfoBasic skips the short names, and the large fetch asks for
// entries in big batches: the walk of a stick of 100,000 files is mostly
// this call.
std::vector<TreeEntry> Win32FileTree::List(const std::string& folder,
                                           Error& error) {
  error = {};
  std::wstring query = LongPath(folder);
  if (query.back() != L'\\') query += L'\\';
  query += L'*';
  WIN32_FIND_DATAW data;
  const HANDLE first = FindFirstFileExW(query.c_str(), FindExInfoBasic, &data,
                                        FindExSearchNameMatch, nullptr,
                                        FIND_FIRST_EX_LARGE_FETCH);
  if (first == INVALID_HANDLE_VALUE) {
    // An empty root has not even "." and "..".
    if (GetLastError() != ERROR_FILE_NOT_FOUND) error = LastError();
    return {};
  }
  OwnedFind find(first);
  std::vector<TreeEntry> entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({Narrow(name), data.dwFileAttributes});
  } while (FindNextFileW(first, &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) error = LastError();
  return entries;
}

Error Win32FileTree::SetAttributes(const std::string& path,
                                   std::uint32_t attributes) {
  const OwnedHandle entry =
      OpenEntry(path, FILE_WRITE_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
  if (!entry) return LastError();
  FILE_BASIC_INFO info = {};  // zero times leave the times as they are
  info.FileAttributes = attributes & kSettable;
  if (info.FileAttributes == 0) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(entry.get(), FileBasicInfo, &info,
                                  sizeof info))
    return LastError();
  return {};
}

Error Win32FileTree::Rename(const std::string& path,
                            const std::string& new_name) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || new_name.empty() ||
      new_name.find_first_of("\\/") != std::string::npos)
    return ErrorFromCode(ERROR_INVALID_NAME);
  const std::string to = path.substr(0, slash + 1) + new_name;
  if (!MoveFileExW(LongPath(path).c_str(), LongPath(to).c_str(), 0))
    return LastError();
  return {};
}

Error Win32FileTree::Delete(const std::string& path) {
  if (!DeleteFileW(LongPath(path).c_str())) return LastError();
  return {};
}

FileBytes Win32FileTree::Read(const std::string& path, std::size_t max_bytes,
                              Error& error) {
  error = {};
  const OwnedHandle file =
      OpenEntry(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    error = LastError();
    return {};
  }
  const auto total = static_cast<unsigned long long>(size.QuadPart);
  const std::size_t want =
      static_cast<std::size_t>(std::min<unsigned long long>(
          total, std::min<std::size_t>(max_bytes, 0x7FFFFFFF)));
  FileBytes result;
  result.bytes.resize(want);
  DWORD got = 0;
  if (want > 0 && !::ReadFile(file.get(), result.bytes.data(),
                              static_cast<DWORD>(want), &got, nullptr)) {
    error = LastError();
    return {};
  }
  result.bytes.resize(got);
  result.truncated = total > got;
  return result;
}

std::string Win32FileTree::WindowsDrive() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length < 2 || length > MAX_PATH || folder[1] != L':') return "";
  return Narrow(std::wstring_view(folder, 2));
}

}  // namespace velmora::win32
