// Listing a folder, reading a file and asking an entry's attributes in the
// Win32 file tree, each through the handle of the entry opened as itself
// inside its folder.
#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_tree_handles.h"

namespace velmora::win32 {

using namespace tree;

namespace {

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

// Asked of the entry's own handle, opened for its attributes alone.
std::uint32_t Win32FileTree::AttributesAt(const std::string& path,
                                          Error& error) {
  const Entry opened =
      OpenEntry(path, FILE_READ_ATTRIBUTES, false, HeldHere(), false, error);
  if (error.failed()) return 0;
  DWORD attributes = 0;
  if (!tree::AttributesOf(opened.handle.get(), attributes)) {
    error = LastError();
    return 0;
  }
  return attributes;
}

}  // namespace velmora::win32
