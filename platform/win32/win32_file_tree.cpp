// The repair's file tree on Win32. No path is parsed from the drive down:
// a folder is reached part by part, each part opened as itself inside the
// one above (win32_child_open.h), from the deepest folder held on the way
// or from the drive's root, and a part that is a link or junction (the
// only way onto another volume) ends the walk with FolderChanged(), so
// every entry a walk reaches is on the root's volume and carries the
// root's serial in its identity. An entry is opened as itself inside its
// folder and listed, read, changed, renamed or deleted through that
// handle; renames never copy. Names go to the file system as
// they are, so names ending in a blank or a dot (which worms use) are
// taken as they are.
#include "platform/win32/win32_file_tree.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/win32_child_open.h"
#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
// Held folders are not shared for deletion: while one is held, Windows
// refuses to rename, move or delete it, so nothing can take its place.
// They ask to list the folder, as a handle that asks for attributes alone
// records no sharing and so keeps nobody out.
constexpr DWORD kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

Error LastError() { return ErrorFromCode(GetLastError()); }

// The drive's root, "\\?\E:\", for "E:", "E:\" or any path on it.
std::wstring RootPath(const std::string& path) {
  return L"\\\\?\\" + Widen(path.substr(0, 2)) + L'\\';
}

// The drive's root opened as itself, for `access` and `share`.
OwnedHandle OpenRoot(const std::string& path, DWORD access, DWORD share) {
  return Owned(CreateFileW(
      RootPath(path).c_str(), access | SYNCHRONIZE, share, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
      nullptr));
}

// "E:\a\b" gives "E:\", "E:\a", "E:\a\b"; "E:" and "E:\" give "E:\".
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

// The last name of a path: "E:\a\b" gives "b".
std::wstring LastName(const std::string& path) {
  return Widen(path.substr(path.rfind('\\') + 1));
}

// The same entry: the file id is compared only where the file system
// gives one.
bool Matches(const EntryId& found, const EntryId& expected) {
  return found.volume_serial == expected.volume_serial &&
         (expected.file_id == 0 || found.file_id == expected.file_id);
}

// The attributes the handle's entry has now, from its basic information
// alone: GetFileInformationByHandle also asks for its name and its volume,
// which Wine pays dearly for, and a run changes 100,000 files.
bool AttributesOf(HANDLE handle, DWORD& attributes) {
  FILE_BASIC_INFO info;
  if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info))
    return false;
  attributes = info.FileAttributes;
  return true;
}

// A part of a walk must be a plain folder: FolderChanged() for a link or
// junction (the only way a part opened as itself leads onto another
// volume), the system's "the directory name is invalid" for a file.
Error CheckPart(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderChanged();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ErrorFromCode(ERROR_DIRECTORY);
  return {};
}

// The drive's serial, asked of its root: the one costly question (Wine
// asks its mount manager, another process), so a walk asks it at most once.
bool SerialOf(HANDLE root, std::uint32_t& serial) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(root, info)) return false;
  serial = info.dwVolumeSerialNumber;
  return true;
}

// The attributes and identity of an entry reached by a walk from a root
// whose serial is `serial`.
bool Identify(HANDLE handle, std::uint32_t serial, DWORD& attributes,
              EntryId& id) {
  std::uint64_t index = 0;
  if (!AttributesOf(handle, attributes) || !IndexOf(handle, index))
    return false;
  id = {serial, index};
  return true;
}

// Where `expected` is given, the handle's entry must be that plain folder.
Error CheckExpected(HANDLE handle, std::uint32_t serial,
                    const EntryId* expected) {
  if (!expected) return {};
  DWORD attributes = 0;
  EntryId id;
  if (!Identify(handle, serial, attributes, id)) return LastError();
  if (!IsPlainFolder(attributes) || !Matches(id, *expected))
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

// Appends the entries of one batch of a listing, "." and ".." left out,
// until `entries` holds `max_entries`.
void AddEntries(const unsigned char* batch, std::vector<TreeEntry>& entries,
                std::size_t max_entries) {
  for (;;) {
    const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(batch);
    const std::wstring_view name(entry->FileName,
                                 entry->FileNameLength / sizeof(wchar_t));
    if (entries.size() == max_entries) return;
    if (name != L"." && name != L"..")
      entries.push_back({Narrow(name), entry->FileAttributes});
    if (entry->NextEntryOffset == 0) return;
    batch += entry->NextEntryOffset;
  }
}

}  // namespace

struct Win32FileTree::Held {
  std::string path;
  OwnedHandle handle;
  EntryId id;
};

// A folder reached by a walk: one of the held chain, or opened for the call.
// `serial` is the drive's, where the walk was asked for it.
struct Win32FileTree::Folder {
  OwnedHandle owned;
  HANDLE handle = nullptr;
  std::uint32_t serial = 0;
};

// An entry opened as itself inside its folder, which stays open with it.
struct Win32FileTree::Entry {
  Folder folder;
  OwnedHandle handle;
};

Win32FileTree::Win32FileTree() = default;
Win32FileTree::~Win32FileTree() = default;

Win32FileTree::Folder Win32FileTree::Walk(const std::string& folder,
                                          bool from_held, bool with_serial,
                                          Error& error) const {
  error = {};
  const std::vector<std::string> chain = ChainOf(folder);
  std::size_t next = 0;
  while (from_held && next < held_.size() && next < chain.size() &&
         held_[next]->path == chain[next])
    ++next;
  Folder open;
  if (next > 0) {
    open.handle = held_[next - 1]->handle.get();
    open.serial = held_[0]->id.volume_serial;
  } else {
    open.owned = OpenRoot(folder, kFolderAccess, kShareAll);
    if (!open.owned ||
        (with_serial && !SerialOf(open.owned.get(), open.serial))) {
      error = LastError();
      return {};
    }
    open.handle = open.owned.get();
    next = 1;
  }
  for (; next < chain.size(); ++next) {
    OwnedHandle part =
        OpenChild(open.handle, LastName(chain[next]), kFolderAccess, kShareAll,
                  ChildKind::kAny, error);
    if (!part) return {};
    DWORD attributes = 0;
    if (!AttributesOf(part.get(), attributes)) {
      error = LastError();
      return {};
    }
    error = CheckPart(attributes);
    if (error.failed()) return {};
    open.owned = std::move(part);
    open.handle = open.owned.get();
  }
  return open;
}

Win32FileTree::Entry Win32FileTree::OpenEntry(const std::string& path,
                                              std::uint32_t access,
                                              bool file_only, bool from_held,
                                              bool with_serial,
                                              Error& error) const {
  Entry entry;
  const std::string folder = ParentPath(path);
  if (folder.empty()) {  // a drive's root is no entry of a folder
    error = ErrorFromCode(ERROR_INVALID_NAME);
    return entry;
  }
  entry.folder = Walk(folder, from_held, with_serial, error);
  if (error.failed()) return entry;
  entry.handle =
      OpenChild(entry.folder.handle, LastName(path), access, kShareAll,
                file_only ? ChildKind::kFile : ChildKind::kAny, error);
  return entry;
}

// Listed in big batches through the folder's handle: the walk of a stick
// of 100,000 files is mostly this call.
std::vector<TreeEntry> Win32FileTree::List(const std::string& folder,
                                           Error& error, EntryId* id,
                                           std::size_t max_entries) {
  const Folder open = Walk(folder, HeldHere(), id != nullptr, error);
  if (error.failed()) return {};
  DWORD attributes = 0;
  if (id && !Identify(open.handle, open.serial, attributes, *id)) {
    error = LastError();
    return {};
  }
  std::vector<TreeEntry> entries;
  std::vector<unsigned char> batch(64 * 1024);
  for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;;
       kind = FileIdBothDirectoryInfo) {
    if (!GetFileInformationByHandleEx(open.handle, kind, batch.data(),
                                      static_cast<DWORD>(batch.size()))) {
      // An empty root has not even "." and "..".
      const DWORD code = GetLastError();
      if (code != ERROR_NO_MORE_FILES && code != ERROR_FILE_NOT_FOUND)
        error = ErrorFromCode(code);
      return entries;
    }
    AddEntries(batch.data(), entries, max_entries);
    if (entries.size() == max_entries) return entries;  // the rest unread
  }
}

// Each folder of the chain is opened as itself inside the one above, the
// part of the chain already held staying as it is.
Error Win32FileTree::Hold(const std::string& folder, const EntryId& expected) {
  const std::vector<std::string> chain = ChainOf(folder);
  std::size_t kept = 0;
  while (kept < held_.size() && kept < chain.size() &&
         held_[kept]->path == chain[kept])
    ++kept;
  held_.resize(kept);
  for (std::size_t i = kept; i < chain.size(); ++i) {
    Error error;
    OwnedHandle handle =
        i == 0 ? OpenRoot(folder, kFolderAccess, kHeldShare)
               : OpenChild(held_[i - 1]->handle.get(), LastName(chain[i]),
                           kFolderAccess, kHeldShare, ChildKind::kAny, error);
    std::uint32_t serial = i == 0 ? 0 : held_[0]->id.volume_serial;
    DWORD attributes = 0;
    EntryId id;
    if (!handle || (i == 0 && !SerialOf(handle.get(), serial)) ||
        !Identify(handle.get(), serial, attributes, id)) {
      if (!error.failed()) error = LastError();
      LetGo();
      return error;
    }
    if (!IsPlainFolder(attributes)) {
      LetGo();
      return FolderChanged();
    }
    held_.push_back(
        std::make_unique<Held>(Held{chain[i], std::move(handle), id}));
  }
  if (!Matches(held_.back()->id, expected)) {
    LetGo();
    return FolderChanged();
  }
  holder_ = GetCurrentThreadId();
  return {};
}

void Win32FileTree::LetGo() {
  holder_ = 0;
  held_.clear();
}

bool Win32FileTree::HeldHere() const { return holder_ == GetCurrentThreadId(); }

// Hidden and system come off the attributes the entry has now, read through
// the same handle: whatever else it has, or was given since the look, stays.
Error Win32FileTree::MakeVisible(const std::string& path,
                                 const EntryId* expected) {
  Error error;
  const Entry entry =
      OpenEntry(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, false, true,
                expected != nullptr, error);
  if (error.failed()) return error;
  error = CheckExpected(entry.handle.get(), entry.folder.serial, expected);
  if (error.failed()) return error;
  DWORD attributes = 0;
  if (!AttributesOf(entry.handle.get(), attributes)) return LastError();
  if (!(attributes & kHiddenSystem)) return {};
  if (!WriteAttributes(entry.handle.get(), attributes & ~kHiddenSystem))
    return LastError();
  return {};
}

// The new name is given to the entry's folder's handle, not as a path.
Error Win32FileTree::Rename(const std::string& path,
                            const std::string& new_name,
                            const EntryId* expected) {
  if (new_name.empty() || new_name.find_first_of("\\/") != std::string::npos)
    return ErrorFromCode(ERROR_INVALID_NAME);
  Error error;
  const Entry entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES, false,
                                true, expected != nullptr, error);
  if (error.failed()) return error;
  error = CheckExpected(entry.handle.get(), entry.folder.serial, expected);
  if (error.failed()) return error;
  return RenameInFolder(entry.handle.get(), entry.folder.handle,
                        Widen(new_name));
}

// As DeleteFileW: a folder (a link to one too) is refused. Read-only comes
// off and, where the deletion fails, goes back on through the one handle,
// with the attributes the file has now.
Error Win32FileTree::Delete(const std::string& path, const EntryId* expected) {
  Error error;
  const Entry opened =
      OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                false, true, expected != nullptr, error);
  if (error.failed()) return error;
  const HANDLE entry = opened.handle.get();
  DWORD attributes = 0;
  EntryId id;
  if (!Identify(entry, opened.folder.serial, attributes, id))
    return LastError();
  if (expected && ((attributes & (FILE_ATTRIBUTE_DIRECTORY |
                                  FILE_ATTRIBUTE_REPARSE_POINT)) ||
                   !Matches(id, *expected)))
    return FileChanged();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return ErrorFromCode(ERROR_ACCESS_DENIED);
  const bool read_only = attributes & FILE_ATTRIBUTE_READONLY;
  if (read_only &&
      !WriteAttributes(entry, attributes & ~FILE_ATTRIBUTE_READONLY))
    return LastError();
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (!SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                  sizeof disposition)) {
    error = LastError();
    if (read_only) WriteAttributes(entry, attributes);
    return error;
  }
  return {};
}

FileBytes Win32FileTree::Read(const std::string& path, std::size_t max_bytes,
                              Error& error, EntryId* id) {
  const Entry opened =
      OpenEntry(path, GENERIC_READ, true, HeldHere(), id != nullptr, error);
  if (error.failed()) return {};
  const HANDLE file = opened.handle.get();
  DWORD attributes = 0;
  EntryId found;
  LARGE_INTEGER size = {};
  if (!Identify(file, opened.folder.serial, attributes, found) ||
      !GetFileSizeEx(file, &size)) {
    error = LastError();
    return {};
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    error = LinkNotOpened();
    return {};
  }
  if (id) *id = found;
  const auto total = static_cast<unsigned long long>(size.QuadPart);
  const std::size_t want =
      static_cast<std::size_t>(std::min<unsigned long long>(
          total, std::min<std::size_t>(max_bytes, 0x7FFFFFFF)));
  FileBytes result;
  result.bytes.resize(want);
  DWORD got = 0;
  if (want > 0 && !::ReadFile(file, result.bytes.data(),
                              static_cast<DWORD>(want), &got, nullptr)) {
    error = LastError();
    return {};
  }
  result.bytes.resize(got);
  result.truncated = total > got;
  return result;
}

}  // namespace velmora::win32
