// The repair's file tree on the Win32 API. Kept apart from
// win32_platform.h so that the repair alone depends on it; free of
// <windows.h> like that header.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/file_tree.h"

namespace velmora::win32 {

class Win32FileTree final : public FileTree {
 public:
  Win32FileTree();
  ~Win32FileTree() override;
  std::vector<TreeEntry> List(const std::string& folder, Error& error,
                              EntryId* id = nullptr,
                              std::size_t max_entries = kAllEntries) override;
  Error Hold(const std::string& folder, const EntryId& expected) override;
  void LetGo() override;
  Error MakeVisible(const std::string& path,
                    const EntryId* expected = nullptr) override;
  Error Rename(const std::string& path, const std::string& new_name,
               const EntryId* expected = nullptr) override;
  Error Delete(const std::string& path,
               const EntryId* expected = nullptr) override;
  FileBytes Read(const std::string& path, std::size_t max_bytes, Error& error,
                 EntryId* id = nullptr) override;
  std::uint32_t AttributesAt(const std::string& path, Error& error) override;
  std::string WindowsDrive() override;
  WindowsTie TieToWindows(const std::string& drive) override;

 private:
  struct Held;
  struct Folder;
  struct Entry;

  // `folder` reached part by part, each part opened as itself inside the
  // one above: from the deepest folder held on its path where `from_held`,
  // else from its drive's root. FolderChanged() where a part is a link or
  // junction. The drive's serial comes with it where `with_serial`.
  Folder Walk(const std::string& folder, bool from_held, bool with_serial,
              Error& error) const;
  // The entry at `path` opened as itself, for `access` (a Win32 access
  // mask), inside its folder reached by Walk; a folder is refused where
  // `file_only`.
  Entry OpenEntry(const std::string& path, std::uint32_t access, bool file_only,
                  bool from_held, bool with_serial, Error& error) const;

  // Whether the calling thread is the one that holds the chain.
  bool HeldHere() const;

  // The held chain, the root first, and the thread that holds it. List and
  // Read walk from it only on that thread, so that they may run on other
  // threads meanwhile (the arrival look does) without touching it.
  std::vector<std::unique_ptr<Held>> held_;
  std::atomic<std::uint32_t> holder_{0};
};

}  // namespace velmora::win32
