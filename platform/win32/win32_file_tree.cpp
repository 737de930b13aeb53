// The repair's file tree on Win32. Every path gets the \\?\ prefix, so that
// long paths work and names ending in a blank or a dot (which worms use) are
// taken as they are. Entries are opened with FILE_FLAG_OPEN_REPARSE_POINT,
// so a link or junction is changed or read as itself and never followed,
// and every change goes through the handle so opened; renames never copy.
// That flag covers only the last part of a path: Hold keeps the folders
// above an entry open, checked and pinned, so that no part of the path can
// be swapped for a junction while the repair works in it.
#include "platform/win32/win32_file_tree.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/win32_child_open.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Error LastError() { return ErrorFromCode(GetLastError()); }

// "E:" and "E:\" give "\\?\E:\"; "E:\a" gives "\\?\E:\a".
std::wstring LongPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
  return L"\\\\?\\" + wide;
}

struct FindCloser {
  void operator()(HANDLE handle) const { FindClose(handle); }
};
using OwnedFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

// Opens the entry itself, a reparse point included, or gives nullptr.
OwnedHandle OpenEntry(const std::string& path, DWORD access, DWORD flags) {
  const HANDLE handle =
      CreateFileW(LongPath(path).c_str(), access, kShareAll, nullptr,
                  OPEN_EXISTING, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return Owned(handle);
}

// What the handle's entry is, or false.
bool InfoOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(handle, &info) != 0;
}

EntryId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
              info.nFileIndexLow};
}

bool IsPlainFolder(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The same folder: the file id is compared only where the file system
// gives one.
bool Matches(const EntryId& found, const EntryId& expected) {
  return found.volume_serial == expected.volume_serial &&
         (expected.file_id == 0 || found.file_id == expected.file_id);
}

// Where `expected` is given, the opened entry must be that plain folder.
Error CheckExpected(const BY_HANDLE_FILE_INFORMATION& info,
                    const EntryId* expected) {
  if (expected && (!IsPlainFolder(info) || !Matches(IdOf(info), *expected)))
    return FolderChanged();
  return {};
}

// Gives the handle's entry exactly `attributes`; its times stay as they
// are. Zero attributes would leave them all as they are, so "none" is
// written as FILE_ATTRIBUTE_NORMAL.
bool WriteAttributes(HANDLE handle, DWORD attributes) {
  FILE_BASIC_INFO info = {};  // zero times leave the times as they are
  info.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(handle, FileBasicInfo, &info,
                                    sizeof info) != 0;
}

// "E:" gives "E:", "E:", "E:".
std::vector<std::string> ChainOf(const std::string& folder) {
  std::vector<std::string> chain{folder.substr(0, 2) + "\\"};
  for (std::size_t at = 3; at < folder.size();) {
    std::size_t end = folder.find('\\', at);
    if (end == std::string::npos) end = folder.size();
    if (end > at) chain.push_back(folder.substr(0, end));
    at = end + 1;
  }
  return chain;
}

// The identity of the folder `root` ("C:\", "C:\Windows") as a handle of it
// gives it (Wine gives a second letter of a drive a serial of its own in
// GetVolumeInformationW, but not in the handle); zeros where it cannot be
// opened.
EntryId FolderIdAt(const std::wstring& root) {
  const HANDLE handle = CreateFileW(
      root.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  const OwnedHandle owned(handle);
  BY_HANDLE_FILE_INFORMATION info;
  return InfoOf(handle, info) ? IdOf(info) : EntryId{};
}

std::wstring VolumeName(const std::wstring& root) {
  wchar_t name[MAX_PATH + 1] = {};
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, MAX_PATH + 1))
    return {};
  return name;
}

// The path a SUBST letter stands for ("C:\work"), or "" for any other
// letter.
std::wstring SubstTarget(wchar_t letter) {
  const wchar_t device[] = {letter, L':', 0};
  wchar_t target[MAX_PATH + 8] = {};
  if (!QueryDosDeviceW(device, target, MAX_PATH + 8)) return {};
  const std::wstring_view text = target;
  if (!text.starts_with(L"\\??\\") || text.size() < 6 || text[5] != L':')
    return {};
  return std::wstring(text.substr(4));
}

// Whether the drive's root (`root`, "\\?\E:\") holds \Windows\System32:
// Windows opened as itself in the root, then System32 as itself in it. A
// link or junction on the way is no Windows of this drive, and it is never
// followed (one that leads to a server would make Windows sign in there).
bool HoldsWindows(const std::wstring& root) {
  OwnedHandle folder = Owned(CreateFileW(
      root.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) return false;
  for (const wchar_t* name : {L"Windows", L"System32"}) {
    Error error;
    folder = OpenChild(folder.get(), name,
                       FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareAll,
                       ChildKind::kFolder, error);
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !InfoOf(folder.get(), info) || !IsPlainFolder(info))
      return false;
  }
  return true;
}

}  // namespace

struct Win32FileTree::Held {
  std::string path;
  OwnedHandle handle;
  EntryId id;
};

Win32FileTree::Win32FileTree() = default;
Win32FileTree::~Win32FileTree() = default;

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

EntryId Win32FileTree::Identify(const std::string& folder, Error& error) {
  error = {};
  const OwnedHandle entry =
      OpenEntry(folder, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
  BY_HANDLE_FILE_INFORMATION info;
  if (!entry || !InfoOf(entry.get(), info)) {
    error = LastError();
    return {};
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    error = FolderChanged();
    return {};
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = ErrorFromCode(ERROR_DIRECTORY);
    return {};
  }
  return IdOf(info);
}

// The folders are opened without FILE_SHARE_DELETE: while a handle is open,
// Windows refuses to rename, move or delete the folder, so nothing can take
// its place. The handle asks to list the folder, as a handle that asks for
// attributes alone records no sharing and so keeps nobody out. The part of
// the chain already held stays as it is.
Error Win32FileTree::Hold(const std::string& folder, const EntryId& expected) {
  const std::vector<std::string> chain = ChainOf(folder);
  std::size_t kept = 0;
  while (kept < held_.size() && kept < chain.size() &&
         held_[kept]->path == chain[kept])
    ++kept;
  held_.resize(kept);
  for (std::size_t i = kept; i < chain.size(); ++i) {
    const HANDLE handle = CreateFileW(
        LongPath(chain[i]).c_str(),
        FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const Error error = LastError();
      LetGo();
      return error;
    }
    auto held = std::make_unique<Held>(Held{chain[i], OwnedHandle(handle), {}});
    BY_HANDLE_FILE_INFORMATION info;
    if (!InfoOf(handle, info)) {
      const Error error = LastError();
      LetGo();
      return error;
    }
    held->id = IdOf(info);
    if (!IsPlainFolder(info) ||
        (i > 0 && held->id.volume_serial != held_[0]->id.volume_serial)) {
      LetGo();
      return FolderChanged();
    }
    held_.push_back(std::move(held));
  }
  if (!Matches(held_.back()->id, expected)) {
    LetGo();
    return FolderChanged();
  }
  return {};
}

void Win32FileTree::LetGo() { held_.clear(); }

// Hidden and system come off the attributes the entry has now, read through
// the same handle: whatever else it has, or was given since the look, stays.
Error Win32FileTree::MakeVisible(const std::string& path,
                                 const EntryId* expected) {
  const OwnedHandle entry =
      OpenEntry(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                FILE_FLAG_BACKUP_SEMANTICS);
  BY_HANDLE_FILE_INFORMATION info;
  if (!entry || !InfoOf(entry.get(), info)) return LastError();
  if (Error error = CheckExpected(info, expected); error.failed()) return error;
  if (!(info.dwFileAttributes & kHiddenSystem)) return {};
  if (!WriteAttributes(entry.get(), info.dwFileAttributes & ~kHiddenSystem))
    return LastError();
  return {};
}

// The new name is given as a full NT path ("\??\E:\a\new") through the
// folder that holds the entry, which the repair holds.
Error Win32FileTree::Rename(const std::string& path,
                            const std::string& new_name,
                            const EntryId* expected) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || new_name.empty() ||
      new_name.find_first_of("\\/") != std::string::npos)
    return ErrorFromCode(ERROR_INVALID_NAME);
  const OwnedHandle entry =
      OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                FILE_FLAG_BACKUP_SEMANTICS);
  BY_HANDLE_FILE_INFORMATION entry_info;
  if (!entry || !InfoOf(entry.get(), entry_info)) return LastError();
  if (Error error = CheckExpected(entry_info, expected); error.failed())
    return error;
  const std::wstring to =
      L"\\??\\" + Widen(path.substr(0, slash + 1) + new_name);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) +
                                    to.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::copy(to.begin(), to.end(), info->FileName);
  if (!SetFileInformationByHandle(entry.get(), FileRenameInfo, info,
                                  static_cast<DWORD>(buffer.size())))
    return LastError();
  return {};
}

// As DeleteFileW: a folder (a link to one too) is refused. Read-only comes
// off and, where the deletion fails, goes back on through the one handle,
// with the attributes the file has now.
Error Win32FileTree::Delete(const std::string& path) {
  const OwnedHandle entry =
      OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0);
  BY_HANDLE_FILE_INFORMATION info;
  if (!entry || !InfoOf(entry.get(), info)) return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return ErrorFromCode(ERROR_ACCESS_DENIED);
  const DWORD attributes = info.dwFileAttributes;
  const bool read_only = attributes & FILE_ATTRIBUTE_READONLY;
  if (read_only &&
      !WriteAttributes(entry.get(), attributes & ~FILE_ATTRIBUTE_READONLY))
    return LastError();
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (!SetFileInformationByHandle(entry.get(), FileDispositionInfo,
                                  &disposition, sizeof disposition)) {
    const Error error = LastError();
    if (read_only) WriteAttributes(entry.get(), attributes);
    return error;
  }
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

// By what the drive is: the Windows folder's volume under another letter
// (the serial its handle gives, or the volume's name), a SUBST letter of a
// folder of that volume, or a drive with a Windows installation of its own.
WindowsTie Win32FileTree::TieToWindows(const std::string& drive) {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (drive.size() < 2) return WindowsTie::kNone;
  const std::wstring root = Widen(drive.substr(0, 2)) + L'\\';
  if (length >= 3 && length <= MAX_PATH) {
    const std::wstring windows(folder, length);
    const std::wstring windows_root = windows.substr(0, 3);
    if (CompareStringOrdinal(root.c_str(), 2, windows_root.c_str(), 2, TRUE) ==
        CSTR_EQUAL)
      return WindowsTie::kWindowsDrive;
    const EntryId windows_id = FolderIdAt(windows);
    const auto same_volume = [&](const std::wstring& other) {
      const EntryId id = FolderIdAt(other);
      if (id.volume_serial != 0 && id.volume_serial == windows_id.volume_serial)
        return true;
      const std::wstring name = VolumeName(other.substr(0, 3));
      return !name.empty() && name == VolumeName(windows_root);
    };
    const std::wstring subst = SubstTarget(root[0]);
    if (!subst.empty() &&
        (CompareStringOrdinal(subst.c_str(), 1, windows_root.c_str(), 1,
                              TRUE) == CSTR_EQUAL ||
         same_volume(subst)))
      return WindowsTie::kSubst;
    if (same_volume(root)) return WindowsTie::kSameVolume;
  }
  return HoldsWindows(L"\\\\?\\" + root) ? WindowsTie::kHoldsWindows
                                         : WindowsTie::kNone;
}

}  // namespace velmora::win32
