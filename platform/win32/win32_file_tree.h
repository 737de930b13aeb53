// The repair's file tree on the Win32 API. Kept apart from
// win32_platform.h so that the repair alone depends on it; free of
// <windows.h> like that header.
#pragma once

#include "platform/file_tree.h"

namespace velmora::win32 {

class Win32FileTree final : public FileTree {
 public:
  std::vector<TreeEntry> List(const std::string& folder, Error& error) override;
  Error SetAttributes(const std::string& path,
                      std::uint32_t attributes) override;
  Error Rename(const std::string& path, const std::string& new_name) override;
  Error Delete(const std::string& path) override;
  FileBytes Read(const std::string& path, std::size_t max_bytes,
                 Error& error) override;
  std::string WindowsDrive() override;
};

}  // namespace velmora::win32
