// An in-memory file tree for the repair's tests: drives of folders and
// files with attributes, junctions that lead elsewhere (listing one lists
// its target, as Windows does, so a walk that enters one is seen), injected
// failures, and a snapshot of everything to compare before and after.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_tree.h"

namespace velmora::fake {

enum class TreeOp { List, SetAttributes, Rename, Delete, Read };

class FakeFileTree final : public FileTree {
 public:
  // --- setting the scene; parent folders must exist ---
  void AddDrive(char letter);
  void AddFolder(const std::string& path,
                 std::uint32_t attributes = kAttributeDirectory);
  void AddFile(const std::string& path, std::string contents = "",
               std::uint32_t attributes = kAttributeArchive);
  // A junction at `path` leading to the folder `target`.
  void AddJunction(const std::string& path, const std::string& target,
                   std::uint32_t attributes = kAttributeDirectory);
  // Makes every later `op` on `path` fail with `error`.
  void Fail(TreeOp op, const std::string& path, Error error);

  // --- looking ---
  bool Exists(const std::string& path) const;
  std::uint32_t AttributesOf(const std::string& path) const;
  std::string ContentsOf(const std::string& path) const;
  // One line per entry, "path|attributes|contents", in path order.
  std::vector<std::string> Snapshot() const;
  // Every call made, as "List E:\a", "Delete E:\x.lnk", ...
  std::vector<std::string> calls;

  // --- FileTree ---
  std::vector<TreeEntry> List(const std::string& folder, Error& error) override;
  Error SetAttributes(const std::string& path,
                      std::uint32_t attributes) override;
  Error Rename(const std::string& path, const std::string& new_name) override;
  Error Delete(const std::string& path) override;
  FileBytes Read(const std::string& path, std::size_t max_bytes,
                 Error& error) override;
  std::string WindowsDrive() override { return windows_drive; }
  std::string windows_drive = "C:";

 private:
  struct Node;
  using Children = std::map<std::string, std::unique_ptr<Node>>;
  struct Node {
    std::string name;
    std::uint32_t attributes = kAttributeDirectory;
    std::string contents;
    std::string target;  // a junction's folder
    Children children;   // by lower name
  };

  Node* Find(const std::string& path) const;
  Node* Parent(const std::string& path, std::string& name) const;
  // The parent folder of `path`, with `entry` set to the path's place among
  // its children; nullptr where the folder or the entry is missing.
  Node* Entry(const std::string& path, Children::iterator& entry) const;
  Node& Add(const std::string& path, std::uint32_t attributes);
  Error Begin(TreeOp op, const std::string& path);
  void Walk(const Node& node, const std::string& path,
            std::vector<std::string>& lines) const;

  std::map<char, std::unique_ptr<Node>> drives_;
  std::map<std::pair<TreeOp, std::string>, Error> failures_;
};

}  // namespace velmora::fake
