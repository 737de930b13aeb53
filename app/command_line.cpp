#include "app/command_line.h"

#include "app/drive_repair.h"
#include "app/event_record.h"
#include "app/line_widget.h"
#include "app/org_policy.h"
#include "removal/search_remove.h"
#include "repair/arrival_look.h"
#include "repair/repair_plan.h"
#include "repair/repair_run.h"
#include "repair/repair_scan.h"
#include "repair/repair_texts.h"

namespace velmora {
namespace {

constexpr const char* kRepairOffText =
    "Repair Hidden Files is turned off by your organization's policy.";

// What one run shares: the policy, the events and the output.
struct Run {
  System& system;
  FileTree& files;
  ConsoleOut& out;
  OrgPolicy policy;
  EventRecord events;
  LineWidget widget;
  ListBox log;

  Run(System& system, Registry& registry, FileTree& files, EventLog* event_log,
      ConsoleOut& out)
      : system(system),
        files(files),
        out(out),
        policy(ReadOrgPolicy(registry).policy),
        events(system, event_log, EventsWanted(registry, policy)),
        widget([&out](const std::string& line) { out.Line(line); }),
        log(widget) {}

  AnsiDecoder Ansi() {
    return [this](std::string_view ansi) { return system.AnsiToUtf8(ansi); };
  }
};

int BitsOf(SearchOutcome outcome, bool named) {
  switch (outcome) {
    case SearchOutcome::Deleted:
      return kExitChanged;
    case SearchOutcome::Found:
    case SearchOutcome::Left:
      return kExitLeft;
    case SearchOutcome::Failed:
      return kExitFailed;
    case SearchOutcome::NotReady:
      // Every drive's walk passes over an empty disc drive; a drive the
      // caller named must be there.
      return named ? kExitFailed : 0;
    case SearchOutcome::Clean:
    case SearchOutcome::Cancelled:
      break;
  }
  return 0;
}

// /scan and /remove: the search of each drive, then the arrival's look for
// a shortcut worm on each drive that answered (not the Windows drive, as
// at arrival).
int SearchDrives(Run& run, const StartOptions& options) {
  const bool named = !options.drives.empty();
  // Listed even where named: the listing asks its drives all at once, where
  // a drive probed alone is asked with a wait of its own.
  const std::vector<std::string> listed =
      run.system.DriveEntries(DriveRead::Fresh);
  const std::vector<std::string>& drives = named ? options.drives : listed;
  if (drives.empty()) {
    run.out.ErrorLine("No drive to look at.");
    return kExitBadArguments;
  }
  RemovalRules rules{RemovalCause::CommandLine, RemovalMode::Report,
                     &run.events};
  if (options.kind == StartKind::Remove)
    rules.mode = run.policy.Requires(OrgValue::AuditOnly)
                     ? RemovalMode::LeaveByPolicy
                     : RemovalMode::Delete;
  const std::string windows_drive = run.files.WindowsDrive();
  int bits = 0;
  for (const std::string& drive : drives) {
    const SearchOutcome outcome =
        SearchDrive(run.system, drive, false, run.log, rules);
    bits |= BitsOf(outcome, named);
    if (outcome == SearchOutcome::NotReady || drive == windows_drive) continue;
    const ArrivalLook look = LookAtArrival(run.files, drive, run.Ansi());
    if (look.worm_shortcuts > 0) {
      run.log.AddItem(WormFoundLine(look));
      bits |= kExitWorm;
    }
    if (look.cut_short) run.log.AddItem(LookCutShortLine(look));
  }
  return bits;
}

// /repair X: /yes: the window's repair, its question answered Yes.
int RepairDrive(Run& run, const std::string& drive) {
  if (!run.policy.Allows(OrgValue::Repair)) {
    run.out.ErrorLine(kRepairOffText);
    return kExitBadArguments;
  }
  if (const auto refusal =
          RepairRefusal(run.files, drive, run.files.WindowsDrive())) {
    run.out.ErrorLine(*refusal);
    return kExitBadArguments;
  }
  RepairScan scan(run.files, drive, run.Ansi());
  while (scan.Step()) {
  }
  const ScanFindings findings = scan.TakeFindings();
  if (findings.root_error.failed()) {
    run.out.ErrorLine(drive + "\\: " + findings.root_error.description);
    return kExitFailed;
  }
  RepairPlan plan = BuildPlan(findings);
  if (!plan.HasWork()) {
    run.log.AddItem(NothingToRepairText(drive));
    return kExitNothingFound;
  }
  const int worm = plan.shortcut_names.empty() ? 0 : kExitWorm;
  run.log.AddItem(RepairStartLine(drive));
  RepairRun repair(run.files, std::move(plan));
  for (bool more = true; more;) {
    std::vector<std::string> lines;
    more = repair.Step(1, lines);
    for (const std::string& line : lines) run.log.AddItem(line);
  }
  for (const auto& [path, reason] : repair.failed_steps())
    run.events.RepairStepFailed(path, reason);
  run.events.RepairDone(drive, repair.shortcuts_deleted(),
                        repair.entries_shown(), repair.failures());
  int bits = worm;
  if (repair.failures() > 0) bits |= kExitFailed;
  if (repair.shortcuts_deleted() + repair.entries_shown() > 0)
    bits |= kExitChanged;
  return bits;
}

}  // namespace

std::string UsageText() {
  return "Velmora: finds and deletes autorun.inf in every ready drive's "
         "root.\n"
         "\n"
         "velmora.exe /scan [X: ...]    reports each autorun.inf and worm "
         "shortcut, changes nothing\n"
         "velmora.exe /remove [X: ...]  deletes each autorun.inf, as Search & "
         "Remove does\n"
         "velmora.exe /repair X: /yes   repairs what a shortcut worm hid on "
         "X:, without asking\n"
         "velmora.exe /guard            guards from the notification area\n"
         "velmora.exe /?                shows this\n"
         "\n"
         "Without drives, every drive is looked at. Switches work in any "
         "case.\n"
         "The exit code is the sum of:\n"
         "   0  nothing found\n"
         "   1  something deleted or repaired\n"
         "   2  found and left (/scan, or your organization's policy)\n"
         "   4  a shortcut worm found\n"
         "   8  a deletion or change failed, or a drive named is not ready\n"
         "  16  bad arguments, or nothing could run\n";
}

int RunCommandLine(const StartOptions& options, System& system,
                   Registry& registry, FileTree& files, EventLog* event_log,
                   ConsoleOut& out) {
  switch (options.kind) {
    case StartKind::Usage:
      out.Line(UsageText());
      return kExitNothingFound;
    case StartKind::BadArguments:
      out.ErrorLine("Velmora: " + options.problem);
      out.ErrorLine(UsageText());
      return kExitBadArguments;
    case StartKind::Scan:
    case StartKind::Remove: {
      Run run(system, registry, files, event_log, out);
      return SearchDrives(run, options);
    }
    case StartKind::Repair: {
      Run run(system, registry, files, event_log, out);
      return RepairDrive(run, options.drives.front());
    }
    case StartKind::Window:
    case StartKind::Guard:
      break;
  }
  out.ErrorLine("Velmora: not a command-line run");
  return kExitBadArguments;
}

}  // namespace velmora
