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

// The entries whose attributes the repair keeps: the worm's programs and
// its folders, with all they hold.
class Kept {
 public:
  explicit Kept(const ScanFindings& findings) {
    for (const std::string& program : findings.worm_programs) {
      paths_.insert(LowerAscii(program));
      const std::string folder = program.substr(0, program.rfind('\\'));
      if (folder.size() > 2 && !IsInvisibleName(NameOf(folder)))
        folders_.push_back(LowerAscii(folder) + "\\");
    }
  }

  bool operator()(const std::string& path) const {
    if (paths_.empty()) return false;  // no worm program: nothing kept
    const std::string lower = LowerAscii(path);
    if (paths_.count(lower)) return true;
    return std::any_of(folders_.begin(), folders_.end(),
                       [&](const std::string& folder) {
                         return (lower + "\\").starts_with(folder);
                       });
  }

 private:
  std::set<std::string> paths_;
  std::vector<std::string> folders_;
};

void AddShownFolders(const ScanFindings& findings, const Kept& kept,
                     RepairPlan& plan) {
  for (const HiddenFolder& hidden : findings.hidden_folders) {
    if (kept(hidden.folder.path)) continue;
    std::size_t files = 0, folders = 0;
    for (const FoundEntry& entry : hidden.inside) {
      if (kept(entry.path)) continue;
      ++(entry.attributes & kAttributeDirectory ? folders : files);
      if (entry.attributes & (kAttributeHidden | kAttributeSystem))
        plan.steps.push_back(
            MakeStep(RepairAction::kShowInside, entry.path, entry.attributes));
    }
    plan.folders += 1 + folders;
    plan.files += files;
    plan.shown_names.push_back(ShownName(NameOf(hidden.folder.path)));
    plan.steps.push_back(MakeStep(RepairAction::kShowFolder, hidden.folder.path,
                                  hidden.folder.attributes, "", files,
                                  folders));
  }
}

void AddRenames(const ScanFindings& findings, const Kept& kept,
                RepairPlan& plan) {
  std::vector<std::string> taken = findings.root_names;
  for (const std::string& path : findings.blank_folders) {
    if (kept(path)) continue;
    const std::string new_name = RecoveredName(taken);
    taken.push_back(new_name);
    plan.renames.emplace_back(ShownName(NameOf(path)), new_name);
    plan.steps.push_back(MakeStep(RepairAction::kRename, path, 0, new_name));
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
  const Kept kept(findings);
  for (const FoundEntry& shortcut : findings.worm_shortcuts) {
    plan.shortcut_names.push_back(NameOf(shortcut.path));
    plan.steps.push_back(MakeStep(RepairAction::kDeleteShortcut, shortcut.path,
                                  shortcut.attributes));
  }
  AddShownFolders(findings, kept, plan);
  AddRenames(findings, kept, plan);
  for (const FoundEntry& file : findings.hidden_files) {
    if (kept(file.path)) continue;
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
        ": " + FirstNames(plan.shortcut_names);
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
