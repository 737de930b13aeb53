// The looking half of the drive repair: walks every folder of a drive (not
// Windows' own, never through a link or junction), reads every shortcut
// (.lnk and .url) it meets, and sorts what it found: what lies in the root
// folders the worm hides (hidden and system, or blank-named), the worm's
// shortcuts in any folder, and the hidden files and folders they stood for.
// It changes nothing. The walk goes in steps, one folder listed, one
// shortcut read or one shortcut sorted per step, so that a window can run
// it between its messages.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_tree.h"
#include "repair/shell_link.h"

namespace velmora {

struct FoundEntry {
  std::string path;  // "E:\a\b"
  std::uint32_t attributes = 0;
};

// A root folder the worm hides (hidden and system, or blank-named) and
// everything the walk found below it but the files Windows keeps hidden in
// any folder (desktop.ini, Thumbs.db).
struct HiddenFolder {
  FoundEntry folder;
  std::vector<FoundEntry> inside;  // in walk order, folders before contents
};

struct ScanFindings {
  std::string drive;                       // "E:"
  std::vector<std::string> root_names;     // every name in the root
  std::vector<FoundEntry> worm_shortcuts;  // .lnk and .url files, any folder
  // What each worm shortcut starts ("rundll32.exe with E:\_\x.dll"), by
  // the index of its shortcut.
  std::vector<std::string> worm_starts;
  std::vector<std::string> worm_programs;  // hidden programs they name
  // The hidden files and folders the worm shortcuts stood for (what they
  // open besides the worm's program), wherever they are, each once.
  std::vector<FoundEntry> stood_for;
  std::vector<HiddenFolder> hidden_folders;
  std::vector<FoundEntry> hidden_files;  // hidden and system files of the root
  std::vector<std::string> blank_folders;  // root folders with no visible name
  std::vector<std::string> left_as_they_are;  // links and junctions met
  std::vector<std::pair<std::string, ShellLinkStatus>> unreadable_shortcuts;
  std::vector<std::pair<std::string, Error>> failures;  // folders not listed
  Error root_error;  // the root itself could not be listed
  // Each folder listed (the root too), as it was then: the repair changes
  // it and what it holds only while it is still that folder.
  std::map<std::string, EntryId> folder_ids;
  // Each worm shortcut as it was read: it is deleted only while it is still
  // that file.
  std::map<std::string, EntryId> shortcut_ids;
};

class RepairScan {
 public:
  // `drive` is a drive entry ("E:"). Nothing is read before the first Step.
  RepairScan(FileTree& tree, std::string drive, AnsiDecoder ansi);
  ~RepairScan();
  RepairScan(const RepairScan&) = delete;
  RepairScan& operator=(const RepairScan&) = delete;

  // Does one step of the walk; false once the findings are complete.
  bool Step();
  bool Done() const { return done_; }
  const ScanFindings& findings() const { return findings_; }
  // Hands the findings over once Done(), without a copy.
  ScanFindings TakeFindings() { return std::move(findings_); }

 private:
  void ListRoot();
  void ListBelow(std::size_t folder_index, const std::string& path);
  // Where an entry below a folder goes: kept in its hidden folder's
  // `inside` (where `folder_index` is one), its shortcuts read, its folders
  // walked.
  void Sort(std::size_t folder_index, const FoundEntry& found,
            const TreeEntry& entry);
  // Notes what a worm shortcut stood for, where it is hidden.
  void AddStoodFor(const std::string& path);
  std::string SpelledAsListed(const std::string& path) const;
  void ReadShortcut(const FoundEntry& shortcut);
  struct Shortcut;
  void Classify(const Shortcut& shortcut);
  void Finish();
  // Lets go of the drive's root, held from its listing to the end of the
  // walk so that each folder below is opened from it.
  void LetGoOfRoot();
  // The attributes of the entry at `path`, listing folders not seen yet
  // (never through a link or junction); nothing when there is no such
  // entry.
  std::optional<std::uint32_t> AttributesAt(const std::string& path);
  void Record(const std::string& folder, const std::vector<TreeEntry>& entries);
  // Whether a folder listed is on the root's volume.
  bool OnTheDrive(const EntryId& id) const;
  // Whether `path` is a file of the drive that is hidden or system, or lies
  // in a hidden or blank-named folder of it.
  bool IsHiddenOnDrive(const std::string& path);

  FileTree& tree_;
  AnsiDecoder ansi_;
  ScanFindings findings_;
  bool started_ = false, done_ = false, holding_root_ = false;
  std::deque<FoundEntry> shortcuts_to_read_;
  std::deque<std::pair<std::size_t, std::string>> folders_to_list_;
  // The shortcuts read, each with what it is on the drive.
  struct Shortcut {
    FoundEntry entry;
    EntryId id;
    ShellLink link;
  };
  std::vector<Shortcut> shortcuts_;
  std::size_t classified_ = 0;
  // By path with A-Z made a-z: a path a shortcut names with other letters
  // in another case than the drive's is not found, so that shortcut is
  // taken for the user's.
  std::unordered_map<std::string, std::uint32_t> seen_;
  std::set<std::string> listed_;     // lower paths
  std::set<std::string> stood_for_;  // lower paths of findings_.stood_for
};

}  // namespace velmora
