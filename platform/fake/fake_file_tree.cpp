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

constexpr std::uint32_t kSettable = kAttributeReadOnly | kAttributeHidden |
                                    kAttributeSystem | kAttributeArchive;

const char* OpName(TreeOp op) {
  switch (op) {
    case TreeOp::List:
      return "List ";
    case TreeOp::SetAttributes:
      return "SetAttributes ";
    case TreeOp::Rename:
      return "Rename ";
    case TreeOp::Delete:
      return "Delete ";
    case TreeOp::Read:
      return "Read ";
  }
  return "";
}

}  // namespace

// Walks the path from its drive's root; a junction on the way leads to its
// target, as it does on Windows.
FakeFileTree::Node* FakeFileTree::Find(const std::string& path) const {
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

FakeFileTree::Node* FakeFileTree::Parent(const std::string& path,
                                         std::string& name) const {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash + 1 >= path.size()) return nullptr;
  name = path.substr(slash + 1);
  Node* parent = Find(path.substr(0, slash + 1));
  return parent && (parent->attributes & kAttributeDirectory) ? parent
                                                              : nullptr;
}

FakeFileTree::Node* FakeFileTree::Entry(const std::string& path,
                                        Children::iterator& entry) const {
  std::string name;
  Node* parent = Parent(path, name);
  if (!parent) return nullptr;
  entry = parent->children.find(Lower(name));
  return entry == parent->children.end() ? nullptr : parent;
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
  return *node;
}

void FakeFileTree::AddDrive(char letter) {
  auto& root = drives_[static_cast<char>(
      std::toupper(static_cast<unsigned char>(letter)))];
  if (!root) root = std::make_unique<Node>();
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
                                          Error& error) {
  error = Begin(TreeOp::List, folder);
  if (error.failed()) return {};
  const Node* node = Find(folder);
  if (node && !node->target.empty()) node = Find(node->target);
  if (!node) {
    error = MakeError(kErrPathNotFound);
    return {};
  }
  if (!(node->attributes & kAttributeDirectory)) {
    error = MakeError(kErrDirectory);
    return {};
  }
  std::vector<TreeEntry> entries;
  for (const auto& [key, child] : node->children)
    entries.push_back({child->name, child->attributes});
  return entries;
}

Error FakeFileTree::SetAttributes(const std::string& path,
                                  std::uint32_t attributes) {
  if (Error error = Begin(TreeOp::SetAttributes, path); error.failed())
    return error;
  Node* node = Find(path);
  if (!node) return MakeError(kErrFileNotFound);
  node->attributes = (node->attributes & ~kSettable) | (attributes & kSettable);
  return {};
}

Error FakeFileTree::Rename(const std::string& path,
                           const std::string& new_name) {
  if (Error error = Begin(TreeOp::Rename, path); error.failed()) return error;
  Children::iterator from;
  Node* parent = Entry(path, from);
  if (!parent) return MakeError(kErrFileNotFound);
  const std::string key = Lower(new_name);
  if (key != from->first && parent->children.count(key))
    return MakeError(kErrAlreadyExists);
  std::unique_ptr<Node> node = std::move(from->second);
  parent->children.erase(from);
  node->name = new_name;
  parent->children[key] = std::move(node);
  return {};
}

// As DeleteFileW: a folder or a read-only file is refused.
Error FakeFileTree::Delete(const std::string& path) {
  if (Error error = Begin(TreeOp::Delete, path); error.failed()) return error;
  Children::iterator it;
  Node* parent = Entry(path, it);
  if (!parent) return MakeError(kErrFileNotFound);
  if (it->second->attributes & (kAttributeDirectory | kAttributeReadOnly))
    return MakeError(kErrAccessDenied);
  parent->children.erase(it);
  return {};
}

FileBytes FakeFileTree::Read(const std::string& path, std::size_t max_bytes,
                             Error& error) {
  error = Begin(TreeOp::Read, path);
  if (error.failed()) return {};
  const Node* node = Find(path);
  if (!node || (node->attributes & kAttributeDirectory)) {
    error = MakeError(node ? kErrAccessDenied : kErrFileNotFound);
    return {};
  }
  FileBytes bytes{node->contents.substr(0, max_bytes), false};
  bytes.truncated = node->contents.size() > max_bytes;
  return bytes;
}

}  // namespace velmora::fake
