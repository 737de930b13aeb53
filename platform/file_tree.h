// The platform contract of the drive repair: walking one drive's folders
// and changing single entries, never following a link or a junction. Paths
// are UTF-8, absolute and start with a drive entry ("E:\", "E:\a\b"); a
// backend uses them as they are, without wildcards. Implemented by
// win32/win32_file_tree.cpp and, in memory, by fake/fake_file_tree.h.
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
                               kAttributeReparsePoint = 0x400;

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

class FileTree {
 public:
  virtual ~FileTree() = default;

  // The entries of `folder` ("E:\" for a root), "." and ".." left out, in
  // the order the file system gives them. A reparse point is listed as
  // itself.
  virtual std::vector<TreeEntry> List(const std::string& folder,
                                      Error& error) = 0;
  // Gives the entry at `path` (file or folder) exactly `attributes`, of
  // which read-only, hidden, system and archive count; the entry itself is
  // changed, never what a reparse point leads to.
  virtual Error SetAttributes(const std::string& path,
                              std::uint32_t attributes) = 0;
  // Gives the entry at `path` the name `new_name` in the same folder; fails
  // when that name is taken. Nothing is copied.
  virtual Error Rename(const std::string& path,
                       const std::string& new_name) = 0;
  // Deletes the one file at `path`; a link is deleted as itself.
  virtual Error Delete(const std::string& path) = 0;
  // Reads at most `max_bytes` of the file at `path`, which is opened as
  // itself: a reparse point is not read through.
  virtual FileBytes Read(const std::string& path, std::size_t max_bytes,
                         Error& error) = 0;
  // The drive entry Windows runs from ("C:"): the repair never touches it.
  virtual std::string WindowsDrive() = 0;
};

// "E:\" + "a" is "E:\a"; "E:\a" + "b" is "E:\a\b".
inline std::string ChildPath(const std::string& folder,
                             const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + '\\' + name;
}

}  // namespace velmora
