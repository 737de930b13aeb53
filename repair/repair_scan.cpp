#include "repair/repair_scan.h"

#include <algorithm>

#include "repair/repair_texts.h"
#include "repair/url_shortcut.h"
#include "repair/worm_rules.h"

namespace velmora {
namespace {

bool IsUrlShortcutName(std::string_view name) {
  return LowerAscii(name).ends_with(".url");
}

bool IsShortcutName(std::string_view name) {
  return LowerAscii(name).ends_with(".lnk") || IsUrlShortcutName(name);
}

bool IsHiddenAndSystem(std::uint32_t attributes) {
  return (attributes & (kAttributeHidden | kAttributeSystem)) ==
         (kAttributeHidden | kAttributeSystem);
}

std::string_view NameOf(std::string_view path) {
  return path.substr(path.rfind('\\') + 1);
}

// The folder index of a folder walked only for its shortcuts: one the
// worm does not hide, whose entries keep their attributes.
constexpr std::size_t kVisibleFolder = static_cast<std::size_t>(-1);

}  // namespace

RepairScan::RepairScan(FileTree& tree, std::string drive, AnsiDecoder ansi)
    : tree_(tree), ansi_(std::move(ansi)) {
  findings_.drive = drive.substr(0, 2);
}

RepairScan::~RepairScan() { LetGoOfRoot(); }

void RepairScan::LetGoOfRoot() {
  if (holding_root_) tree_.LetGo();
  holding_root_ = false;
}

bool RepairScan::Step() {
  if (done_) return false;
  if (!started_) {
    started_ = true;
    ListRoot();
    done_ = findings_.root_error.failed();
  } else if (!folders_to_list_.empty()) {
    const auto [index, path] = folders_to_list_.front();
    folders_to_list_.pop_front();
    ListBelow(index, path);
  } else if (!shortcuts_to_read_.empty()) {
    const FoundEntry shortcut = shortcuts_to_read_.front();
    shortcuts_to_read_.pop_front();
    ReadShortcut(shortcut);
  } else if (classified_ < shortcuts_.size()) {
    Classify(shortcuts_[classified_++]);
  } else {
    Finish();
    done_ = true;
  }
  return !done_;
}

void RepairScan::Record(const std::string& folder,
                        const std::vector<TreeEntry>& entries) {
  listed_.insert(LowerAscii(folder));
  for (const TreeEntry& entry : entries)
    seen_[LowerAscii(ChildPath(folder, entry.name))] = entry.attributes;
}

// The root's entries in name order, so that the question and the log list
// them the same way on every system.
void RepairScan::ListRoot() {
  const std::string root = findings_.drive + "\\";
  EntryId root_id;
  std::vector<TreeEntry> entries =
      tree_.List(root, findings_.root_error, &root_id);
  if (findings_.root_error.failed()) return;
  findings_.folder_ids[root] = root_id;
  // Where the root cannot be held, each folder is opened from the root
  // afresh, as slowly but as safely.
  holding_root_ = !tree_.Hold(root, root_id).failed();
  std::sort(
      entries.begin(), entries.end(),
      [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
  Record(root, entries);
  for (const TreeEntry& entry : entries) {
    findings_.root_names.push_back(entry.name);
    const FoundEntry found{ChildPath(root, entry.name), entry.attributes};
    const bool windows_own = IsWindowsOwn(entry.name, entry.folder());
    if (entry.reparse_point()) {
      if (entry.hidden_or_system() || IsShortcutName(entry.name))
        findings_.left_as_they_are.push_back(found.path);
    } else if (entry.folder()) {
      if (windows_own) continue;
      const bool blank = IsInvisibleName(entry.name);
      if (blank) findings_.blank_folders.push_back(found.path);
      // A folder the user hid, hidden but not system, keeps what it holds
      // as it is; only its shortcuts are looked at.
      if (!blank && !IsHiddenAndSystem(entry.attributes)) {
        folders_to_list_.emplace_back(kVisibleFolder, found.path);
        continue;
      }
      folders_to_list_.emplace_back(findings_.hidden_folders.size(),
                                    found.path);
      findings_.hidden_folders.push_back({found, {}});
    } else if (IsShortcutName(entry.name)) {
      shortcuts_to_read_.push_back(found);
    } else if (IsHiddenAndSystem(entry.attributes) && !windows_own) {
      findings_.hidden_files.push_back(found);
    }
  }
}

// Links and junctions below a hidden folder are noted, never entered; below
// any other folder only those that look like the worm's (hidden, system or
// named as a shortcut). A folder is listed only where it is still a plain
// folder of the drive's volume: one swapped for a junction since its
// parent was listed is not.
void RepairScan::ListBelow(std::size_t folder_index, const std::string& path) {
  Error error;
  EntryId id;
  std::vector<TreeEntry> entries = tree_.List(path, error, &id);
  if (!error.failed() && !OnTheDrive(id)) error = FolderChanged();
  if (error.failed()) {
    findings_.failures.emplace_back(path, error);
    return;
  }
  findings_.folder_ids[path] = id;
  Record(path, entries);
  for (const TreeEntry& entry : entries)
    Sort(folder_index, {ChildPath(path, entry.name), entry.attributes}, entry);
}

void RepairScan::Sort(std::size_t folder_index, const FoundEntry& found,
                      const TreeEntry& entry) {
  const bool in_hidden = folder_index != kVisibleFolder;
  if (entry.reparse_point()) {
    if (in_hidden || entry.hidden_or_system() || IsShortcutName(entry.name))
      findings_.left_as_they_are.push_back(found.path);
    return;
  }
  if (entry.folder())
    folders_to_list_.emplace_back(folder_index, found.path);
  else if (IsShortcutName(entry.name))
    shortcuts_to_read_.push_back(found);
  else if (IsWindowsOwnInAnyFolder(entry.name))
    return;
  if (in_hidden) findings_.hidden_folders[folder_index].inside.push_back(found);
}

void RepairScan::ReadShortcut(const FoundEntry& shortcut) {
  Error error;
  const bool url = IsUrlShortcutName(NameOf(shortcut.path));
  EntryId id;
  const FileBytes bytes =
      tree_.Read(shortcut.path, url ? kMaxUrlShortcutBytes : kMaxShellLinkBytes,
                 error, &id);
  if (error.failed()) {
    findings_.failures.emplace_back(shortcut.path, error);
    return;
  }
  ShellLinkResult result;
  if (url)
    result = {ShellLinkStatus::kOk, ReadUrlShortcut(bytes.bytes, ansi_)};
  else
    result = ReadShellLink(bytes.bytes, ansi_);
  if (bytes.truncated) result.status = ShellLinkStatus::kTooLarge;
  if (!result.ok()) {
    findings_.unreadable_shortcuts.emplace_back(shortcut.path, result.status);
    return;
  }
  shortcuts_.push_back({shortcut, id, std::move(result.link)});
}

// Sorts a readable shortcut into the worm's or the others, now that every
// folder is known; a hidden + system shortcut of the root that is not the
// worm's is an ordinary hidden file. The worm programs are the hidden
// programs that the worm's shortcuts name. One shortcut a step: each looks
// at no more than kPathsLookedAt paths, which may each list a folder.
void RepairScan::Classify(const Shortcut& shortcut) {
  const HiddenOnDrive hidden_on_drive = [this](const std::string& path) {
    return IsHiddenOnDrive(path);
  };
  const std::string& path = shortcut.entry.path;
  const std::string folder = ParentPath(path);
  const std::string place = folder.size() > 3 ? folder : findings_.drive;
  const std::string started =
      HiddenFileStarted(shortcut.link, place, hidden_on_drive);
  if (started.empty()) {
    if (folder.size() <= 3 && IsHiddenAndSystem(shortcut.entry.attributes))
      findings_.hidden_files.push_back(shortcut.entry);
    return;
  }
  findings_.worm_shortcuts.push_back(shortcut.entry);
  findings_.shortcut_ids[path] = shortcut.id;
  findings_.worm_starts.push_back(WhatItStarts(shortcut.link, started));
  std::vector<std::string>& programs = findings_.worm_programs;
  for (const std::string& program :
       ProgramsNamed(shortcut.link, place, hidden_on_drive)) {
    if (std::find(programs.begin(), programs.end(), program) == programs.end())
      programs.push_back(program);
  }
  for (const std::string& opened : OpenedBesides(shortcut.link, place))
    AddStoodFor(opened);
}

// A link leads elsewhere and Windows' own entries stay as Windows keeps
// them; anything else the worm's shortcut opened comes back where it is
// hidden (hidden + system or hidden only).
void RepairScan::AddStoodFor(const std::string& path) {
  const auto attributes = AttributesAt(path);
  if (!attributes || (*attributes & kAttributeReparsePoint) ||
      !(*attributes & (kAttributeHidden | kAttributeSystem)))
    return;
  const bool folder = *attributes & kAttributeDirectory;
  const bool in_root = ParentPath(path).size() <= 3;
  if ((in_root && IsWindowsOwn(NameOf(path), folder)) ||
      (!folder && IsWindowsOwnInAnyFolder(NameOf(path))))
    return;
  if (stood_for_.insert(LowerAscii(path)).second)
    findings_.stood_for.push_back({SpelledAsListed(path), *attributes});
}

// A shortcut may name a path in another case than the drive's: its folder
// is the one listed, as the listing spells it, so that the run finds it
// among the folders looked at.
std::string RepairScan::SpelledAsListed(const std::string& path) const {
  const std::string folder = ParentPath(path);
  if (findings_.folder_ids.count(folder)) return path;
  const std::string lower = LowerAscii(folder);
  for (const auto& [listed, id] : findings_.folder_ids) {
    if (LowerAscii(listed) == lower)
      return ChildPath(listed, std::string(NameOf(path)));
  }
  return path;
}

// The lookups are done; a drive of 100,000 entries frees them here, in a
// step of their own, rather than in the one that plans.
void RepairScan::Finish() {
  LetGoOfRoot();
  seen_ = {};
  listed_ = {};
  std::sort(
      findings_.hidden_files.begin(), findings_.hidden_files.end(),
      [](const FoundEntry& a, const FoundEntry& b) { return a.path < b.path; });
}

std::optional<std::uint32_t> RepairScan::AttributesAt(const std::string& path) {
  const auto known = seen_.find(LowerAscii(path));
  if (known != seen_.end()) return known->second;
  const std::string parent = ParentPath(path);
  if (parent.empty() || listed_.count(LowerAscii(parent))) return {};
  const auto folder = AttributesAt(parent);
  if (!folder || !(*folder & kAttributeDirectory) ||
      (*folder & kAttributeReparsePoint))
    return {};
  Error error;
  EntryId id;
  std::vector<TreeEntry> entries = tree_.List(parent, error, &id);
  // Nothing of a folder that is no longer one of the drive is looked at.
  if (!OnTheDrive(id)) entries.clear();
  Record(parent, entries);
  const auto found = seen_.find(LowerAscii(path));
  if (found == seen_.end()) return {};
  return found->second;
}

bool RepairScan::OnTheDrive(const EntryId& id) const {
  const auto root = findings_.folder_ids.find(findings_.drive + "\\");
  return root != findings_.folder_ids.end() &&
         id.volume_serial == root->second.volume_serial;
}

bool RepairScan::IsHiddenOnDrive(const std::string& path) {
  // A link leads elsewhere: it is no file of the drive.
  const auto attributes = AttributesAt(path);
  if (!attributes ||
      (*attributes & (kAttributeDirectory | kAttributeReparsePoint)))
    return false;
  if (*attributes & (kAttributeHidden | kAttributeSystem)) return true;
  for (std::string folder = ParentPath(path); folder.size() > 3;
       folder = ParentPath(folder)) {
    const auto folder_attributes = AttributesAt(folder);
    if (folder_attributes && ((*folder_attributes & kAttributeHidden) ||
                              IsInvisibleName(NameOf(folder))))
      return true;
  }
  return false;
}

}  // namespace velmora
