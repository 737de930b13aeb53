// The repair's file tree on the Win32 API. Kept apart from
// win32_platform.h so that the repair alone depends on it; free of
// <windows.h> like that header.
#pragma once

#include <memory>

#include "platform/file_tree.h"

namespace velmora::win32 {

class Win32FileTree final : public FileTree {
 public:
  Win32FileTree();
  ~Win32FileTree() override;
  std::vector<TreeEntry> List(const std::string& folder, Error& error) override;
  EntryId Identify(const std::string& folder, Error& error) override;
  Error Hold(const std::string& folder, const EntryId& expected) override;
  void LetGo() override;
  Error MakeVisible(const std::string& path,
                    const EntryId* expected = nullptr) override;
  Error Rename(const std::string& path, const std::string& new_name,
               const EntryId* expected = nullptr) override;
  Error Delete(const std::string& path) override;
  FileBytes Read(const std::string& path, std::size_t max_bytes,
                 Error& error) override;
  std::string WindowsDrive() override;
  WindowsTie TieToWindows(const std::string& drive) override;

 private:
  struct Held;
  // The held chain, the root first.
  std::vector<std::unique_ptr<Held>> held_;
};

}  // namespace velmora::win32
