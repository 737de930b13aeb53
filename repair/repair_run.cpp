#include "repair/repair_run.h"

#include "repair/repair_texts.h"

namespace velmora {

namespace {

bool IsChange(RepairAction action) { return action <= RepairAction::kRename; }

}  // namespace

RepairRun::RepairRun(FileTree& tree, RepairPlan plan)
    : tree_(tree), plan_(std::move(plan)) {}

RepairRun::~RepairRun() { tree_.LetGo(); }

bool RepairRun::CheckDrive(std::vector<std::string>& lines) {
  drive_checked_ = true;
  const std::string root = plan_.drive + "\\";
  const auto id = plan_.folder_ids.find(root);
  const Error error = id == plan_.folder_ids.end()
                          ? FolderChanged()
                          : tree_.Hold(root, id->second);
  return Check(error, "checking", root, lines);
}

Error RepairRun::Guard(const RepairStep& step, const EntryId*& expected) {
  expected = nullptr;
  if (step.action == RepairAction::kShowFolder ||
      step.action == RepairAction::kRename ||
      (step.attributes & kAttributeDirectory)) {
    const auto own = plan_.folder_ids.find(step.path);
    // A folder whose inside was never listed is not made visible either.
    if (own == plan_.folder_ids.end()) return FolderChanged();
    expected = &own->second;
  }
  const auto folder = plan_.folder_ids.find(ParentPath(step.path));
  if (folder == plan_.folder_ids.end()) return FolderChanged();
  return tree_.Hold(folder->first, folder->second);
}

bool RepairRun::Step(std::size_t budget, std::vector<std::string>& lines) {
  if (!drive_checked_ && !Done() && !CheckDrive(lines)) {
    next_ = plan_.steps.size();
    lines.push_back(SummaryLine());
    return false;
  }
  for (std::size_t i = 0; i < budget && !Done(); ++i) {
    Run(plan_.steps[next_], lines);
    ++next_;
    if (Done()) lines.push_back(SummaryLine());
  }
  return !Done();
}

bool RepairRun::Check(const Error& error, const char* doing,
                      const std::string& path,
                      std::vector<std::string>& lines) {
  if (!error.failed()) return true;
  ++failures_;
  failed_steps_.emplace_back(path, error.description);
  lines.push_back(RepairFailedLine(doing, path, error.description));
  return false;
}

void RepairRun::Run(const RepairStep& step, std::vector<std::string>& lines) {
  const std::string& path = step.path;
  const EntryId* expected = nullptr;
  if (IsChange(step.action)) {
    const char* doing =
        step.action == RepairAction::kDeleteShortcut ? "deleting"
        : step.action == RepairAction::kRename       ? "renaming"
                                                     : "making visible";
    if (!Check(Guard(step, expected), doing, path, lines)) {
      if (step.action == RepairAction::kShowInside)
        ++(step.attributes & kAttributeDirectory ? folders_failed_
                                                 : files_failed_);
      if (step.action == RepairAction::kShowFolder)
        files_failed_ = folders_failed_ = 0;
      return;
    }
  }
  switch (step.action) {
    case RepairAction::kDeleteShortcut: {
      // Deleted only while it is still the file that was read.
      const auto id = plan_.shortcut_ids.find(path);
      if (!Check(id == plan_.shortcut_ids.end()
                     ? FileChanged()
                     : tree_.Delete(path, &id->second),
                 "deleting", path, lines))
        return;
      ++deleted_;
      lines.push_back(ShortcutDeletedLine(path, step.text));
      return;
    }
    case RepairAction::kShowInside:
      if (!Check(tree_.MakeVisible(path, expected), "making visible", path,
                 lines))
        ++(step.attributes & kAttributeDirectory ? folders_failed_
                                                 : files_failed_);
      return;
    case RepairAction::kShowFolder: {
      // Its contents came just before it; those that failed are not shown.
      const std::size_t files = step.files - files_failed_;
      const std::size_t folders = step.folders - folders_failed_;
      files_failed_ = folders_failed_ = 0;
      if (!Check(tree_.MakeVisible(path, expected), "making visible", path,
                 lines))
        return;
      folders_ += 1 + folders;
      files_ += files;
      lines.push_back(FolderShownLine(path, files));
      return;
    }
    case RepairAction::kShowFile:
      if (!Check(tree_.MakeVisible(path), "making visible", path, lines))
        return;
      ++files_;
      lines.push_back(kFileShownLine + ShownPath(path));
      return;
    case RepairAction::kRename:
      if (!Check(tree_.Rename(path, step.text, expected), "renaming", path,
                 lines))
        return;
      ++renamed_;
      lines.push_back(FolderRenamedLine(path, step.text));
      return;
    case RepairAction::kNoteProgram:
      lines.push_back(kProgramLeftLine + ShownPath(path));
      return;
    case RepairAction::kNoteLink:
      lines.push_back(kLinkLeftLine + ShownPath(path));
      return;
    case RepairAction::kNoteShortcut:
      lines.push_back(ShortcutLeftLine(path, step.text));
      return;
    case RepairAction::kNoteFailure:
      Check({1, step.text}, "reading", path, lines);
      return;
  }
}

// "Repair of E: done: 3 worm shortcuts deleted, 2 folders and 40 files made
// visible, 1 folder renamed, 0 failures".
std::string RepairRun::SummaryLine() const {
  return "Repair of " + plan_.drive +
         " done: " + Count(deleted_, "worm shortcut", "worm shortcuts") +
         " deleted, " + Count(folders_, "folder", "folders") + " and " +
         Count(files_, "file", "files") + " made visible, " +
         Count(renamed_, "folder", "folders") + " renamed, " +
         Count(failures_, "failure", "failures");
}

}  // namespace velmora
