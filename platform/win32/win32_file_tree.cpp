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

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_tree_handles.h"

namespace velmora::win32 {

using namespace tree;

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

}  // namespace velmora::win32
