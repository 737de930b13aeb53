#include "platform/fake/fake_file_tree.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/fake/fake_platform.h"

namespace velmora::fake {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

char LetterOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return '\0';
  return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

// The names after "E:\", empty parts dropped.
std::vector<std::string> PartsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t at = 2;
  while (at < path.size()) {
    std::size_t end = path.find('\\', at);
    if (end == std::string::npos) end = path.size();
    if (end > at) parts.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

const char* OpName(TreeOp op) {
  switch (op) {
    case TreeOp::List:
      return "List ";
    case TreeOp::MakeVisible:
      return "MakeVisible ";
    case TreeOp::Rename:
      return "Rename ";
    case TreeOp::Delete:
      return "Delete ";
    case TreeOp::Read:
      return "Read ";
    case TreeOp::AttributesAt:
      return "AttributesAt ";
  }
  return "";
}

}  // namespace

// Walks the path from its drive's root; a junction on the way leads to its
// target, as it does on Windows.
FakeFileTree::Node* FakeFileTree::Find(const std::string& path) const {
  const auto other = other_letters_.find(LetterOf(path));
  if (other != other_letters_.end()) {
    const std::string rest = path.size() > 3 ? path.substr(3) : "";
    return Find(rest.empty() ? other->second.path
                             : ChildPath(other->second.path, rest));
  }
  const auto drive = drives_.find(LetterOf(path));
  if (drive == drives_.end()) return nullptr;
  Node* node = drive->second.get();
  for (const std::string& part : PartsOf(path)) {
    if (!node->target.empty()) node = Find(node->target);
    if (!node) return nullptr;
    const auto child = node->children.find(Lower(part));
    if (child == node->children.end()) return nullptr;
    node = child->second.get();
  }
  return node;
}

FakeFileTree::Node* FakeFileTree::Reach(const std::string& path,
                                        Error& error) const {
  error = {};
  const auto other = other_letters_.find(LetterOf(path));
  if (other != other_letters_.end()) {
    const std::string rest = path.size() > 3 ? path.substr(3) : "";
    return Reach(
        rest.empty() ? other->second.path : ChildPath(other->second.path, rest),
        error);
  }
  const auto drive = drives_.find(LetterOf(path));
  if (drive == drives_.end()) {
    error = MakeError(kErrPathNotFound);
    return nullptr;
  }
  Node* node = drive->second.get();
  const std::vector<std::string> parts = PartsOf(path);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!node->target.empty() || (node->attributes & kAttributeReparsePoint)) {
      error = FolderChanged();
      return nullptr;
    }
    const auto child = node->children.find(Lower(parts[i]));
    if (!(node->attributes & kAttributeDirectory) ||
        child == node->children.end()) {
      error = MakeError(i + 1 == parts.size() ? kErrFileNotFound
                                              : kErrPathNotFound);
      return nullptr;
    }
    node = child->second.get();
  }
  return node;
}

FakeFileTree::Node* FakeFileTree::Parent(const std::string& path,
                                         std::string& name) const {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 >= path.size()) return nullptr;
  name = path.substr(slash + 1);
  Node* parent = Find(path.substr(0, slash + 1));
  return parent && (parent->attributes & kAttributeDirectory) ? parent
                                                              : nullptr;
}

FakeFileTree::Node* FakeFileTree::ReachFolder(const std::string& folder,
                                              Error& error) const {
  Node* node = Reach(folder, error);
  if (!node) return nullptr;
  if (!node->target.empty() || (node->attributes & kAttributeReparsePoint)) {
    error = FolderChanged();
    return nullptr;
  }
  if (!(node->attributes & kAttributeDirectory)) {
    error = MakeError(kErrDirectory);
    return nullptr;
  }
  return node;
}

FakeFileTree::Node* FakeFileTree::Entry(const std::string& path,
                                        Children::iterator& entry,
                                        Error& error) const {
  const std::size_t slash = path.rfind('\\');
  error = MakeError(kErrFileNotFound);
  if (slash == std::string::npos || slash + 1 >= path.size()) return nullptr;
  Node* parent = ReachFolder(path.substr(0, slash + 1), error);
  if (!parent) return nullptr;
  entry = parent->children.find(Lower(path.substr(slash + 1)));
  if (entry == parent->children.end()) return nullptr;
  error = {};
  return parent;
}

FakeFileTree::Node& FakeFileTree::Add(const std::string& path,
                                      std::uint32_t attributes) {
  AddDrive(LetterOf(path));
  std::string name;
  Node* parent = Parent(path, name);
  if (!parent) throw std::invalid_argument("no parent folder: " + path);
  auto& node = parent->children[Lower(name)];
  node = std::make_unique<Node>();
  node->name = name;
  node->attributes = attributes;
  node->volume = parent->volume;
  node->id = next_id_++;
  return *node;
}

void FakeFileTree::AddDrive(char letter) {
  auto& root = drives_[static_cast<char>(
      std::toupper(static_cast<unsigned char>(letter)))];
  if (root) return;
  root = std::make_unique<Node>();
  root->volume = 0x5E000000u + static_cast<unsigned char>(std::toupper(
                                   static_cast<unsigned char>(letter)));
  root->id = next_id_++;
}

void FakeFileTree::AddSecondLetter(char letter, char of) {
  other_letters_[static_cast<char>(std::toupper(letter))] = {
      std::string{static_cast<char>(std::toupper(of)), ':', '\\'}, false};
}

void FakeFileTree::AddSubst(char letter, const std::string& folder) {
  other_letters_[static_cast<char>(std::toupper(letter))] = {folder, true};
}

bool FakeFileTree::SwapForJunction(const std::string& path,
                                   const std::string& target) {
  const std::string lower = Lower(path);
  for (const std::string& held : held_)
    if (Lower(held) == lower || Lower(held).starts_with(lower + "\\"))
      return false;
  Children::iterator it;
  Error unused;
  Node* parent = Entry(path, it, unused);
  if (!parent) return false;
  std::unique_ptr<Node> moved = std::move(it->second);
  parent->children.erase(it);
  const std::uint32_t attributes = moved->attributes;
  moved->name += ".moved";
  parent->children[Lower(moved->name)] = std::move(moved);
  AddJunction(path, target, attributes);
  return true;
}

void FakeFileTree::ReplaceFile(const std::string& path) {
  Node* file = Find(path);
  if (!file) throw std::invalid_argument("no file: " + path);
  file->id = next_id_++;
}

void FakeFileTree::AddFolder(const std::string& path,
                             std::uint32_t attributes) {
  Add(path, attributes | kAttributeDirectory);
}

void FakeFileTree::AddFile(const std::string& path, std::string contents,
                           std::uint32_t attributes) {
  Add(path, attributes & ~kAttributeDirectory).contents = std::move(contents);
}

void FakeFileTree::AddJunction(const std::string& path,
                               const std::string& target,
                               std::uint32_t attributes) {
  Add(path, attributes | kAttributeDirectory | kAttributeReparsePoint).target =
      target;
}

void FakeFileTree::Fail(TreeOp op, const std::string& path, Error error) {
  failures_[{op, Lower(path)}] = std::move(error);
}

bool FakeFileTree::Exists(const std::string& path) const {
  return Find(path) != nullptr;
}

std::uint32_t FakeFileTree::AttributesOf(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->attributes : 0;
}

std::string FakeFileTree::ContentsOf(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->contents : std::string();
}

void FakeFileTree::Walk(const Node& node, const std::string& path,
                        std::vector<std::string>& lines) const {
  for (const auto& [key, child] : node.children) {
    const std::string child_path = ChildPath(path, child->name);
    lines.push_back(child_path + "|" + std::to_string(child->attributes) + "|" +
                    child->contents + child->target);
    Walk(*child, child_path, lines);
  }
}

std::vector<std::string> FakeFileTree::Snapshot() const {
  std::vector<std::string> lines;
  for (const auto& [letter, root] : drives_)
    Walk(*root, std::string{letter, ':', '\\'}, lines);
  return lines;
}

Error FakeFileTree::Begin(TreeOp op, const std::string& path) {
  calls.push_back(OpName(op) + path);
  const auto failure = failures_.find({op, Lower(path)});
  return failure == failures_.end() ? Error{} : failure->second;
}

std::vector<TreeEntry> FakeFileTree::List(const std::string& folder,
                                          Error& error, EntryId* id,
                                          std::size_t max_entries) {
  error = Begin(TreeOp::List, folder);
  if (error.failed()) return {};
  const Node* node = ReachFolder(folder, error);
  if (!node) return {};
  if (id) *id = {node->volume, node->id};
  std::vector<TreeEntry> entries;
  for (const auto& [key, child] : node->children) {
    if (entries.size() == max_entries) break;
    entries.push_back({child->name, child->attributes});
  }
  entries_listed += entries.size();
  return entries;
}

bool FakeFileTree::IsFolder(const Node* node, const EntryId* expected) {
  if (!node || !(node->attributes & kAttributeDirectory) ||
      (node->attributes & kAttributeReparsePoint) || !node->target.empty())
    return false;
  return !expected || (node->volume == expected->volume_serial &&
                       node->id == expected->file_id);
}

// The folder is reached as Windows reaches it part by part: a junction on
// the way is met and refused.
Error FakeFileTree::Hold(const std::string& folder, const EntryId& expected) {
  held_.clear();
  Error error;
  const Node* node = ReachFolder(folder, error);
  if (!node) return error.nothing_there() ? error : FolderChanged();
  if (!IsFolder(node, &expected)) return FolderChanged();
  held_.push_back(folder.substr(0, 2) + "\\");
  for (const std::string& part : PartsOf(folder))
    held_.push_back(ChildPath(held_.back(), part));
  return {};
}

WindowsTie FakeFileTree::TieToWindows(const std::string& drive) {
  const char letter = LetterOf(drive);
  if (letter == LetterOf(windows_drive)) return WindowsTie::kWindowsDrive;
  const Node* windows = Find(windows_drive + "\\");
  const auto same_volume = [&](const std::string& path) {
    const Node* node = Find(path);
    return windows && node && node->volume == windows->volume;
  };
  const auto other = other_letters_.find(letter);
  if (other != other_letters_.end() && other->second.subst &&
      same_volume(other->second.path))
    return WindowsTie::kSubst;
  if (same_volume(std::string{letter, ':', '\\'}))
    return WindowsTie::kSameVolume;
  // A junction on the way is no Windows of this drive.
  Error unused;
  if (IsFolder(Reach(std::string{letter, ':'} + "\\Windows\\System32", unused),
               nullptr))
    return WindowsTie::kHoldsWindows;
  return WindowsTie::kNone;
}

Error FakeFileTree::MakeVisible(const std::string& path,
                                const EntryId* expected) {
  if (Error error = Begin(TreeOp::MakeVisible, path); error.failed())
    return error;
  Error error;
  Node* node = Reach(path, error);
  if (!node) return error;
  if (expected && !IsFolder(node, expected)) return FolderChanged();
  node->attributes &= ~(kAttributeHidden | kAttributeSystem);
  return {};
}

Error FakeFileTree::Rename(const std::string& path, const std::string& new_name,
                           const EntryId* expected) {
  if (Error error = Begin(TreeOp::Rename, path); error.failed()) return error;
  Children::iterator from;
  Error error;
  Node* parent = Entry(path, from, error);
  if (!parent) return error;
  if (expected && !IsFolder(from->second.get(), expected))
    return FolderChanged();
  const std::string key = Lower(new_name);
  if (key != from->first && parent->children.count(key))
    return MakeError(kErrAlreadyExists);
  std::unique_ptr<Node> node = std::move(from->second);
  parent->children.erase(from);
  node->name = new_name;
  parent->children[key] = std::move(node);
  return {};
}

// As DeleteFileW: a folder is refused. A read-only file loses read-only
// first; where the deletion then fails, it gets it back.
Error FakeFileTree::Delete(const std::string& path, const EntryId* expected) {
  const Error failure = Begin(TreeOp::Delete, path);
  Children::iterator it;
  Error error;
  Node* parent = Entry(path, it, error);
  if (!parent) return failure.failed() ? failure : error;
  Node& file = *it->second;
  if (expected &&
      ((file.attributes & (kAttributeDirectory | kAttributeReparsePoint)) ||
       file.volume != expected->volume_serial || file.id != expected->file_id))
    return FileChanged();
  if (file.attributes & kAttributeDirectory) return MakeError(kErrAccessDenied);
  const std::uint32_t attributes = file.attributes;
  file.attributes &= ~kAttributeReadOnly;
  if (failure.failed()) {
    file.attributes = attributes;
    return failure;
  }
  parent->children.erase(it);
  return {};
}

FileBytes FakeFileTree::Read(const std::string& path, std::size_t max_bytes,
                             Error& error, EntryId* id) {
  error = Begin(TreeOp::Read, path);
  if (error.failed()) return {};
  const Node* node = Reach(path, error);
  if (!node) return {};
  if (node->attributes & kAttributeDirectory) {
    error = MakeError(kErrAccessDenied);
    return {};
  }
  if (id) *id = {node->volume, node->id};
  FileBytes bytes{node->contents.substr(0, max_bytes), false};
  bytes.truncated = node->contents.size() > max_bytes;
  return bytes;
}

std::uint32_t FakeFileTree::AttributesAt(const std::string& path,
                                         Error& error) {
  error = Begin(TreeOp::AttributesAt, path);
  if (error.failed()) return 0;
  const Node* node = Reach(path, error);
  return node ? node->attributes : 0;
}

}  // namespace velmora::fake
