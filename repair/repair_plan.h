// What the repair of a drive will do, made from the scan's findings before
// anything changes: the steps in the order they run, and the question that
// shows them to the user.
//
// The rules:
// - the worm shortcuts, in any folder, are deleted (read-only ones too);
// - every root folder the worm hides (hidden and system, or blank-named),
//   and everything below it, loses hidden and system, keeping read-only
//   and every other attribute; so do the hidden + system files of the root.
//   What is hidden but not system in the root is the user's and stays;
// - what a worm shortcut stood for (a hidden file or folder it names that
//   is not run as code) loses hidden and system wherever it is; only that
//   entry changes;
// - a root folder whose name shows as nothing is renamed "Recovered files"
//   (numbered when that is taken), after its contents are visible;
// - the worm programs keep their attributes wherever they are, root too; a
//   folder that holds worm programs and no file of the user's is the
//   worm's and stays as it is, with all it holds;
// - links, junctions and unreadable shortcuts stay as they are.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "repair/repair_scan.h"

namespace velmora {

enum class RepairAction {
  kDeleteShortcut,
  kShowInside,  // an entry below a root folder made visible
  kShowFolder,  // a root folder made visible, after its contents; or one
                // a worm shortcut stood for, alone
  kShowFile,    // a hidden file of the root, or one a worm shortcut stood for
  kRename,
  kNoteProgram,
  kNoteLink,
  kNoteShortcut,  // a shortcut that could not be read
  kNoteFailure,   // a folder or shortcut the scan could not read
};

struct RepairStep {
  RepairAction action;
  std::string path;
  std::uint32_t attributes = 0;  // the entry's attributes when scanned
  // The new name, what a worm shortcut starts, or what a note says.
  std::string text;
  std::size_t files = 0;    // kShowFolder: files below it
  std::size_t folders = 0;  // kShowFolder: folders below it
};

struct RepairPlan {
  std::string drive;
  // "Photos.lnk (starts rundll32.exe with E:\_\x.dll)"
  std::vector<std::string> shortcut_names;
  std::vector<std::string> shown_names;  // root entries made visible
  std::size_t folders = 0, files = 0;    // made visible, at any depth
  std::vector<std::pair<std::string, std::string>> renames;  // shown, new
  std::vector<std::string> programs;
  std::vector<RepairStep> steps;
  // The folders and the worm shortcuts as the look found them
  // (ScanFindings::folder_ids and shortcut_ids).
  std::map<std::string, EntryId> folder_ids, shortcut_ids;

  // Whether any step changes the drive.
  bool HasWork() const;
};

RepairPlan BuildPlan(const ScanFindings& findings);

// The Yes/No question: the drive, each count and the first few names.
std::string PreviewText(const RepairPlan& plan);

}  // namespace velmora
