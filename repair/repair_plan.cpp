#include "repair/repair_plan.h"

#include <algorithm>
#include <set>

#include "repair/repair_texts.h"
#include "repair/worm_rules.h"

namespace velmora {
namespace {

RepairStep MakeStep(RepairAction action, const std::string& path,
                    std::uint32_t attributes = 0, std::string text = "",
                    std::size_t files = 0, std::size_t folders = 0) {
  return {action, path, attributes, std::move(text), files, folders};
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('\\') + 1);
}

// The path below the drive's root as the question shows it: "Photos.lnk"
// in the root, "Work\budget.xlsx.lnk" below it.
std::string BelowRoot(const std::string& path) {
  return ShownPath(path).substr(3);
}

std::set<std::string> PathsOf(const std::vector<FoundEntry>& entries) {
  std::set<std::string> paths;
  for (const FoundEntry& entry : entries) paths.insert(entry.path);
  return paths;
}

// The worm programs, which keep their attributes wherever they are.
class WormPrograms {
 public:
  explicit WormPrograms(const ScanFindings& findings) {
    for (const std::string& program : findings.worm_programs)
      paths_.insert(LowerAscii(program));
  }

  bool Holds(const std::string& path) const {
    return !paths_.empty() && paths_.count(LowerAscii(path)) > 0;
  }

  // Whether one lies anywhere below `folder`.
  bool AnyBelow(const std::string& folder) const {
    const std::string prefix = LowerAscii(folder) + "\\";
    const auto next = paths_.lower_bound(prefix);
    return next != paths_.end() && next->starts_with(prefix);
  }

 private:
  std::set<std::string> paths_;
};

// The worm's own folder: it holds worm programs and no file of the user's
// (folders alone hold nothing to give back). It stays as it is, with all
// it holds.
bool IsWormFolder(const HiddenFolder& hidden, const WormPrograms& programs) {
  for (const FoundEntry& entry : hidden.inside) {
    if (!(entry.attributes & kAttributeDirectory) &&
        !programs.Holds(entry.path))
      return false;
  }
  return programs.AnyBelow(hidden.folder.path);
}

// Each folder the worm hid comes back with all it holds but the worm
// programs. Below a folder that was visible (a blank-named one) only what
// was itself hidden is counted.
void AddShownFolders(const ScanFindings& findings, const WormPrograms& programs,
                     std::set<std::string>& kept, RepairPlan& plan) {
  // Deleted before anything is made visible.
  const std::set<std::string> worm_shortcuts = PathsOf(findings.worm_shortcuts);
  for (const HiddenFolder& hidden : findings.hidden_folders) {
    if (IsWormFolder(hidden, programs)) {
      kept.insert(hidden.folder.path);
      continue;
    }
    const bool hidden_itself =
        hidden.folder.attributes & (kAttributeHidden | kAttributeSystem);
    std::size_t files = 0, folders = 0;
    for (const FoundEntry& entry : hidden.inside) {
      if (programs.Holds(entry.path) || worm_shortcuts.count(entry.path))
        continue;
      const bool shown =
          entry.attributes & (kAttributeHidden | kAttributeSystem);
      if (shown || hidden_itself)
        ++(entry.attributes & kAttributeDirectory ? folders : files);
      if (shown)
        plan.steps.push_back(
            MakeStep(RepairAction::kShowInside, entry.path, entry.attributes));
    }
    if (!hidden_itself && files + folders == 0) continue;
    plan.folders += (hidden_itself ? 1 : 0) + folders;
    plan.files += files;
    plan.shown_names.push_back(ShownName(NameOf(hidden.folder.path)));
    plan.steps.push_back(MakeStep(RepairAction::kShowFolder, hidden.folder.path,
                                  hidden.folder.attributes, "", files,
                                  folders));
  }
}

void AddRenames(const ScanFindings& findings, const std::set<std::string>& kept,
                RepairPlan& plan) {
  std::vector<std::string> taken = findings.root_names;
  for (const std::string& path : findings.blank_folders) {
    if (kept.count(path)) continue;
    const std::string new_name = RecoveredName(taken);
    taken.push_back(new_name);
    plan.renames.emplace_back(ShownName(NameOf(path)), new_name);
    plan.steps.push_back(MakeStep(RepairAction::kRename, path, 0, new_name));
  }
}

// What the worm shortcuts stood for comes back wherever it is, where no
// other step shows it already and it is none of the worm's.
void AddStoodFor(const ScanFindings& findings, const WormPrograms& programs,
                 const std::set<std::string>& kept, RepairPlan& plan) {
  // The set below costs a stick of 100,000 entries a tenth of a second.
  if (findings.stood_for.empty()) return;
  std::set<std::string> shown;
  for (const RepairStep& step : plan.steps) shown.insert(LowerAscii(step.path));
  for (const FoundEntry& file : findings.hidden_files)
    shown.insert(LowerAscii(file.path));
  for (const FoundEntry& entry : findings.stood_for) {
    if (shown.count(LowerAscii(entry.path)) || programs.Holds(entry.path) ||
        programs.AnyBelow(entry.path))
      continue;
    const bool in_kept = std::any_of(
        kept.begin(), kept.end(), [&entry](const std::string& folder) {
          return LowerAscii(entry.path).starts_with(LowerAscii(folder) + "\\");
        });
    if (in_kept) continue;
    const bool folder = entry.attributes & kAttributeDirectory;
    ++(folder ? plan.folders : plan.files);
    plan.shown_names.push_back(BelowRoot(entry.path));
    plan.steps.push_back(
        MakeStep(folder ? RepairAction::kShowFolder : RepairAction::kShowFile,
                 entry.path, entry.attributes));
  }
}

void AddNotes(const ScanFindings& findings, RepairPlan& plan) {
  for (const std::string& program : findings.worm_programs) {
    plan.programs.push_back(program);
    plan.steps.push_back(MakeStep(RepairAction::kNoteProgram, program));
  }
  for (const std::string& path : findings.left_as_they_are)
    plan.steps.push_back(MakeStep(RepairAction::kNoteLink, path));
  for (const auto& [path, status] : findings.unreadable_shortcuts)
    plan.steps.push_back(MakeStep(RepairAction::kNoteShortcut, path, 0,
                                  std::string(ShellLinkStatusText(status))));
  for (const auto& [path, error] : findings.failures)
    plan.steps.push_back(
        MakeStep(RepairAction::kNoteFailure, path, 0, error.description));
}

}  // namespace

bool RepairPlan::HasWork() const {
  return std::any_of(steps.begin(), steps.end(), [](const RepairStep& step) {
    return step.action <= RepairAction::kRename;
  });
}

RepairPlan BuildPlan(const ScanFindings& findings) {
  RepairPlan plan;
  plan.drive = findings.drive;
  plan.folder_ids = findings.folder_ids;
  plan.shortcut_ids = findings.shortcut_ids;
  const WormPrograms programs(findings);
  for (std::size_t i = 0; i < findings.worm_shortcuts.size(); ++i) {
    const FoundEntry& shortcut = findings.worm_shortcuts[i];
    const std::string& starts = findings.worm_starts[i];
    plan.shortcut_names.push_back(
        ShortcutStarts(BelowRoot(shortcut.path), starts));
    plan.steps.push_back(MakeStep(RepairAction::kDeleteShortcut, shortcut.path,
                                  shortcut.attributes, starts));
  }
  std::set<std::string> kept;  // the worm's folders
  AddShownFolders(findings, programs, kept, plan);
  AddStoodFor(findings, programs, kept, plan);
  AddRenames(findings, kept, plan);
  for (const FoundEntry& file : findings.hidden_files) {
    if (programs.Holds(file.path)) continue;
    ++plan.files;
    plan.shown_names.push_back(ShownName(NameOf(file.path)));
    plan.steps.push_back(
        MakeStep(RepairAction::kShowFile, file.path, file.attributes));
  }
  AddNotes(findings, plan);
  return plan;
}

std::string PreviewText(const RepairPlan& plan) {
  std::string text = "Repair hidden files on " + plan.drive + "?\n";
  if (!plan.shortcut_names.empty())
    text +=
        "\n- Delete " +
        Count(plan.shortcut_names.size(), "worm shortcut", "worm shortcuts") +
        ":" + FirstLines(plan.shortcut_names);
  if (plan.folders + plan.files > 0)
    text += "\n- Make " + Count(plan.folders, "folder", "folders") + " and " +
            Count(plan.files, "file", "files") +
            " visible again: " + FirstNames(plan.shown_names);
  for (const auto& [old_name, new_name] : plan.renames)
    text += "\n- Rename the folder " + old_name + " to \"" + new_name + "\"";
  if (!plan.programs.empty()) {
    std::vector<std::string> shown;
    for (const std::string& path : plan.programs)
      shown.push_back(ShownPath(path));
    text += "\n- Leave " +
            Count(plan.programs.size(), "worm program", "worm programs") +
            (plan.programs.size() == 1 ? " where it is" : " where they are") +
            ", hidden, for an antivirus: " + FirstNames(shown);
  }
  text += "\n\nNothing else on the drive changes.";
  return text;
}

}  // namespace velmora
