// The platform contract of the drive repair: walking one drive's folders
// and changing single entries, never following a link or a junction. Paths
// are UTF-8, absolute and start with a drive entry ("E:\", "E:\a\b"); a
// backend uses them as they are, without wildcards. No path is looked up
// from the drive down in one go: each folder on it is opened as itself
// inside the one above (from the deepest folder held, else from the
// drive's root), so a path through a link, a junction or another volume
// fails with FolderChanged() and nothing behind it is read or changed.
// List, Read and AttributesAt may run on several threads at once; Hold, LetGo
// and the changes on one, where List and Read walk from the held folders too.
// Implemented by win32/win32_file_tree.h and, in memory,
// by fake/fake_file_tree.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

// Attribute bits, with the values Windows gives them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1, kAttributeHidden = 0x2,
                               kAttributeSystem = 0x4,
                               kAttributeDirectory = 0x10,
                               kAttributeArchive = 0x20,
                               kAttributeReparsePoint = 0x400,
                               kAttributeNotContentIndexed = 0x2000;

// One entry of a folder as the listing saw it.
struct TreeEntry {
  std::string name;
  std::uint32_t attributes = 0;

  bool folder() const { return attributes & kAttributeDirectory; }
  // A link or junction (or any reparse point): never entered or followed.
  bool reparse_point() const { return attributes & kAttributeReparsePoint; }
  bool hidden_or_system() const {
    return attributes & (kAttributeHidden | kAttributeSystem);
  }
};

// What an entry is, as the file system knows it: the serial number of its
// volume and its file id (0 where the file system has none). The repair
// changes a folder, and anything in it, only while it is still the folder
// its look found.
struct EntryId {
  std::uint32_t volume_serial = 0;
  std::uint64_t file_id = 0;
  bool operator==(const EntryId&) const = default;
};

// The failure of a folder that is no longer a plain folder of the drive, or
// no longer the one looked at, and of a file no longer the one looked at:
// the system's "the volume for a file has been externally altered" (1006),
// with a description of the program's own.
inline constexpr std::uint32_t kFolderChangedNumber = 1006;
inline Error FolderChanged() {
  return {kFolderChangedNumber,
          "it is no longer the folder looked at: a link, a junction or "
          "another folder is in its place"};
}
inline Error FileChanged() {
  return {kFolderChangedNumber,
          "it is no longer the file looked at: another file, a link or a "
          "folder is in its place"};
}

// How a drive stands to the Windows the program runs on. Any tie but kNone
// keeps the repair off it: its hidden and system files are Windows' own.
enum class WindowsTie {
  kNone,
  kWindowsDrive,  // the letter Windows runs from
  kSameVolume,    // that drive's volume under another letter
  kSubst,         // a SUBST letter of a folder of that volume
  kHoldsWindows,  // a Windows installation: \Windows\System32 in its root
};

// A listing with no bound on its entries.
inline constexpr std::size_t kAllEntries = static_cast<std::size_t>(-1);

class FileTree {
 public:
  virtual ~FileTree() = default;

  // The entries of `folder` ("E:\" for a root), "." and ".." left out, in
  // the order the file system gives them, listed through the folder opened
  // as itself: a folder that is a link or junction is not listed
  // (FolderChanged()), and one in it is listed as itself. Where `id` is
  // given, it gets the identity of the folder listed. Only the first
  // `max_entries` are read.
  virtual std::vector<TreeEntry> List(
      const std::string& folder, Error& error, EntryId* id = nullptr,
      std::size_t max_entries = kAllEntries) = 0;
  // Holds `folder` and every folder above it up to its drive's root, each
  // opened as itself inside the one above and kept from being renamed,
  // moved or deleted while it is held; the changes below open their entry
  // inside the held folder. Each must be a plain folder (no link, junction
  // or other reparse point) of the root's volume, and `folder` must be
  // `expected` (the same volume serial, the same file id where there is
  // one); FolderChanged() otherwise, with nothing held. One chain is held
  // at a time: a later Hold lets go of what the new chain does not share.
  virtual Error Hold(const std::string& folder, const EntryId& expected) = 0;
  virtual void LetGo() = 0;

  // The changes below open the entry at `path` itself inside its folder and
  // change it through that handle, never what a reparse point leads to. The
  // repair holds the entry's folder first. Where `expected` is given, the entry
  // must be a plain folder with that identity, else FolderChanged().
  //
  // Takes hidden and system off the entry; every other attribute stays as
  // the entry has it at that moment, read through the same handle (not as
  // a look saw it earlier).
  virtual Error MakeVisible(const std::string& path,
                            const EntryId* expected = nullptr) = 0;
  // Gives the entry the name `new_name` in the same folder; fails when that
  // name is taken. Nothing is copied.
  virtual Error Rename(const std::string& path, const std::string& new_name,
                       const EntryId* expected = nullptr) = 0;
  // Deletes the one file at `path`; a link is deleted as itself, a folder
  // is refused. A read-only file loses read-only first, through the same
  // handle, and gets it back where the deletion still fails. Where
  // `expected` is given, the file must be that one (no link, the same
  // volume serial and file id where there is one), else FileChanged() and
  // nothing changes.
  virtual Error Delete(const std::string& path,
                       const EntryId* expected = nullptr) = 0;
  // Reads at most `max_bytes` of the file at `path`, which is opened as
  // itself: a link or junction is not read (LinkNotOpened()). Where `id` is
  // given, it gets the file's identity.
  virtual FileBytes Read(const std::string& path, std::size_t max_bytes,
                         Error& error, EntryId* id = nullptr) = 0;
  // The attributes of the entry at `path`, opened as itself inside its
  // folder (a link or junction gives its own, and is never followed); the
  // system's error where there is no such entry.
  virtual std::uint32_t AttributesAt(const std::string& path, Error& error) = 0;
  // The drive entry Windows runs from ("C:"): the repair never touches it.
  virtual std::string WindowsDrive() = 0;
  // How the drive `drive` ("E:") stands to Windows, by what it is rather
  // than by its letter.
  virtual WindowsTie TieToWindows(const std::string& drive) = 0;
};

// "E:\" + "a" is "E:\a"; "E:\a" + "b" is "E:\a\b".
inline std::string ChildPath(const std::string& folder,
                             const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + '\\' + name;
}

// The folder that holds `path`: "E:\a\b" gives "E:\a", "E:\a" gives "E:\";
// a root ("E:\", "E:") gives nothing.
inline std::string ParentPath(const std::string& path) {
  if (path.size() <= 3) return {};
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash < 2) return {};
  return path.substr(0, slash == 2 ? 3 : slash);
}

}  // namespace velmora
