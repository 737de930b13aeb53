// The changes of the Win32 file tree: attributes, names and deletion, each
// through the handle of the entry opened as itself inside its held folder.
#include <windows.h>

#include "platform/win32/win32_file_tree.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_tree_handles.h"

namespace velmora::win32 {

using namespace tree;

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

}  // namespace velmora::win32
