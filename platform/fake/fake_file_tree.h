// An in-memory file tree for the repair's tests: drives of folders and
// files with attributes, junctions that lead elsewhere, injected failures,
// and a snapshot of everything to compare before and after. The FileTree
// calls reach each folder as itself, part by part, as the Win32 backend
// does: a path through a junction fails with FolderChanged(). The scene's
// own lookups (Exists, AttributesOf, ContentsOf) go through junctions as a
// path given to Windows would. Every drive is a volume of its own with a
// serial, every entry has a file id; a drive can have a second letter or a
// SUBST letter, and a folder can be swapped for a junction at any moment
// unless it is held, as on Windows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_tree.h"

namespace velmora::fake {

enum class TreeOp { List, MakeVisible, Rename, Delete, Read, AttributesAt };

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
  // Makes every later `op` on `path` fail with `error`; a deletion fails
  // as Windows' does, after read-only has come off (and gone back on).
  void Fail(TreeOp op, const std::string& path, Error error);
  // `letter` shows the volume of drive `of` as well.
  void AddSecondLetter(char letter, char of);
  // `letter` is a SUBST letter of the folder `folder`.
  void AddSubst(char letter, const std::string& folder);
  // What a worm or another program could do between two looks: the folder
  // at `path` moves aside (to `path` + ".moved") and a junction to `target`
  // takes its name. Refused, as Windows refuses the rename, while the folder
  // or anything below it is held; gives whether it was done.
  bool SwapForJunction(const std::string& path, const std::string& target);
  // Replaces the file at `path` with another of the same name and contents,
  // as a program that writes a file anew does: it has a file id of its own.
  void ReplaceFile(const std::string& path);

  // --- looking ---
  bool Exists(const std::string& path) const;
  std::uint32_t AttributesOf(const std::string& path) const;
  std::string ContentsOf(const std::string& path) const;
  // One line per entry, "path|attributes|contents", in path order.
  std::vector<std::string> Snapshot() const;
  // Every call made, as "List E:\a", "Delete E:\x.lnk", ...
  std::vector<std::string> calls;
  // The entries all listings gave, together.
  std::size_t entries_listed = 0;

  // --- FileTree ---
  std::vector<TreeEntry> List(const std::string& folder, Error& error,
                              EntryId* id = nullptr,
                              std::size_t max_entries = kAllEntries) override;
  Error Hold(const std::string& folder, const EntryId& expected) override;
  void LetGo() override { held_.clear(); }
  Error MakeVisible(const std::string& path,
                    const EntryId* expected = nullptr) override;
  Error Rename(const std::string& path, const std::string& new_name,
               const EntryId* expected = nullptr) override;
  Error Delete(const std::string& path,
               const EntryId* expected = nullptr) override;
  FileBytes Read(const std::string& path, std::size_t max_bytes, Error& error,
                 EntryId* id = nullptr) override;
  std::uint32_t AttributesAt(const std::string& path, Error& error) override;
  std::string WindowsDrive() override { return windows_drive; }
  WindowsTie TieToWindows(const std::string& drive) override;
  std::string windows_drive = "C:";
  // The folders held now, the root first.
  const std::vector<std::string>& held() const { return held_; }

 private:
  struct Node;
  using Children = std::map<std::string, std::unique_ptr<Node>>;
  struct Node {
    std::string name;
    std::uint32_t attributes = kAttributeDirectory;
    std::string contents;
    std::string target;  // a junction's folder
    Children children;   // by lower name
    std::uint32_t volume = 0;
    std::uint64_t id = 0;
  };
  struct OtherLetter {
    std::string path;  // what the letter shows ("C:\", "C:\work")
    bool subst = false;
  };

  Node* Find(const std::string& path) const;
  // The entry at `path` as Windows reaches it when each folder on the way is
  // opened as itself inside the one above: nullptr, with FolderChanged() in
  // `error`, where a folder on the way is a junction, and with the
  // system's error where something is missing. The entry itself is given as
  // it is, a junction too.
  Node* Reach(const std::string& path, Error& error) const;
  Node* Parent(const std::string& path, std::string& name) const;
  // Reach, for a plain folder: FolderChanged() for a junction, the
  // system's "the directory name is invalid" for a file.
  Node* ReachFolder(const std::string& folder, Error& error) const;
  // The parent folder of `path`, reached by ReachFolder, with `entry` set
  // to the path's place among its children; nullptr, with the error, where
  // the folder or the entry is missing.
  Node* Entry(const std::string& path, Children::iterator& entry,
              Error& error) const;
  Node& Add(const std::string& path, std::uint32_t attributes);
  Error Begin(TreeOp op, const std::string& path);
  void Walk(const Node& node, const std::string& path,
            std::vector<std::string>& lines) const;

  // Whether `node` at `path` is a plain folder that is `expected`.
  static bool IsFolder(const Node* node, const EntryId* expected);

  std::map<char, std::unique_ptr<Node>> drives_;
  std::map<char, OtherLetter> other_letters_;
  std::vector<std::string> held_;  // as given to Hold
  std::uint64_t next_id_ = 1;
  std::map<std::pair<TreeOp, std::string>, Error> failures_;
};

}  // namespace velmora::fake
