#include "repair/arrival_look.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "repair/repair_texts.h"
#include "repair/shell_link.h"
#include "repair/worm_rules.h"

namespace velmora {
namespace {

bool IsShortcutName(const std::string& name) {
  return name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".lnk";
}

// What the root listing tells of the paths a shortcut names: a path is
// hidden where it is a hidden or system file of the root, or lies in a root
// folder that is hidden or has a blank name. Below a visible root folder
// the path's own attributes are asked, once per path, so that a program
// hidden in a visible folder is found as the repair finds it; the folders
// between are not asked.
class DriveView {
 public:
  DriveView(FileTree& tree, const std::string& drive,
            const std::vector<TreeEntry>& entries, std::size_t count)
      : tree_(tree), prefix_(LowerAscii(drive) + "\\") {
    for (std::size_t i = 0; i < count; ++i) {
      const TreeEntry& entry = entries[i];
      // As the repair sees a drive: a folder hides what it holds where it
      // is hidden or has a blank name (a system-only folder shows); a file
      // is hidden where it is hidden or system; a link is never hidden.
      const bool hiding =
          !entry.reparse_point() &&
          (entry.folder() ? (entry.attributes & kAttributeHidden) ||
                                IsInvisibleName(entry.name)
                          : entry.hidden_or_system());
      by_name_[LowerAscii(entry.name)] = {entry.folder(), hiding,
                                          entry.reparse_point()};
    }
  }

  bool IsHidden(const std::string& path) {
    const std::string lower = LowerAscii(path);
    if (lower.compare(0, prefix_.size(), prefix_) != 0) return false;
    const std::string rest = lower.substr(prefix_.size());
    const std::size_t slash = rest.find('\\');
    auto it = by_name_.find(rest.substr(0, slash));
    if (it == by_name_.end()) return false;
    const RootEntry& entry = it->second;
    if (slash == std::string::npos) return entry.hiding && !entry.folder;
    if (!entry.folder || entry.link) return false;
    return entry.hiding || IsHiddenBelow(path, lower);
  }

 private:
  struct RootEntry {
    bool folder = false, hiding = false, link = false;
  };

  // A file below a visible root folder that is itself hidden or system.
  bool IsHiddenBelow(const std::string& path, const std::string& lower) {
    const auto known = asked_.find(lower);
    if (known != asked_.end()) return known->second;
    Error error;
    const std::uint32_t attributes = tree_.AttributesAt(path, error);
    const bool hidden =
        !error.failed() &&
        !(attributes & (kAttributeDirectory | kAttributeReparsePoint)) &&
        (attributes & (kAttributeHidden | kAttributeSystem));
    asked_[lower] = hidden;
    return hidden;
  }

  FileTree& tree_;
  std::string prefix_;  // "f:\"
  std::unordered_map<std::string, RootEntry> by_name_;
  std::unordered_map<std::string, bool> asked_;  // by lower path
};

}  // namespace

ArrivalLook LookAtArrival(FileTree& tree, const std::string& drive,
                          const AnsiDecoder& ansi) {
  ArrivalLook look;
  look.drive = drive;
  const std::string root = drive + "\\";
  Error unlisted;
  const std::vector<TreeEntry> entries =
      tree.List(root, unlisted, nullptr, kLookEntries + 1);
  if (unlisted.failed()) return look;
  const std::size_t count = std::min(entries.size(), kLookEntries);
  look.cut_short = entries.size() > kLookEntries;
  DriveView view(tree, drive, entries, count);
  const auto hidden = [&view](const std::string& path) {
    return view.IsHidden(path);
  };
  std::size_t read = 0;
  for (std::size_t i = 0; i < count && read < kLookShortcuts; ++i) {
    const TreeEntry& entry = entries[i];
    if (entry.folder() || entry.reparse_point() || !IsShortcutName(entry.name))
      continue;
    ++read;
    Error error;
    const FileBytes bytes =
        tree.Read(ChildPath(root, entry.name), kMaxShellLinkBytes, error);
    if (error.failed() || bytes.truncated) continue;
    const ShellLinkResult link = ReadShellLink(bytes.bytes, ansi);
    if (!link.ok()) continue;
    const std::string started = HiddenFileStarted(link.link, drive, hidden);
    if (started.empty()) continue;
    ++look.worm_shortcuts;
    if (look.starts.size() < kWormStartsKept)
      look.starts.push_back(WhatItStarts(link.link, started));
  }
  return look;
}

std::string WormFoundLine(const ArrivalLook& look) {
  const std::size_t n = look.worm_shortcuts;
  return "Shortcut Worm Found on: " + look.drive + "\\ (" + std::to_string(n) +
         (n == 1 ? " worm shortcut" : " worm shortcuts") +
         "; Repair Hidden Files on " + look.drive +
         " gives the hidden files back)";
}

std::string LookCutShortLine(const ArrivalLook& look) {
  return "Shortcut worm look cut short on: " + look.drive + "\\ (only the " +
         "first " + std::to_string(kLookEntries) + " root entries looked at)";
}

}  // namespace velmora
