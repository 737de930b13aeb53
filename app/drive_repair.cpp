#include "app/drive_repair.h"

#include <chrono>
#include <vector>

#include "app/error_report.h"
#include "repair/repair_plan.h"
#include "repair/repair_texts.h"
#include "repair/worm_rules.h"

namespace velmora {
namespace {

// How long one tick may work: well under the 0.2 s a window may take to
// answer.
constexpr auto kTickTime = std::chrono::milliseconds(30);
// Steps taken between two looks at the clock.
constexpr std::size_t kStepsPerLook = 16;

std::string DriveOf(const std::string& entry) {
  std::string drive = entry.substr(0, 2);
  if (!drive.empty() && drive[0] >= 'a' && drive[0] <= 'z')
    drive[0] = static_cast<char>(drive[0] - 'a' + 'A');
  return drive;
}

}  // namespace

// The letter alone does not tell: the same volume can have another letter,
// and a stick can hold a Windows of its own.
std::optional<std::string> RepairRefusal(FileTree& tree,
                                         const std::string& drive,
                                         const std::string& windows_drive) {
  const std::string windows = DriveOf(windows_drive);
  if (DriveOf(drive) == windows) return WindowsDriveRefusedText(drive);
  if (const WindowsTie tie = tree.TieToWindows(drive); tie != WindowsTie::kNone)
    return WindowsTieRefusedText(drive, tie, windows);
  return std::nullopt;
}

DriveRepair::DriveRepair(System& system, FileTree& tree, ListBox& log,
                         std::string windows_drive)
    : system_(system),
      tree_(tree),
      log_(log),
      windows_drive_(DriveOf(windows_drive)) {}

DriveRepair::~DriveRepair() = default;

std::string DriveRepair::MenuText(const std::string& drive_entry) {
  return RepairMenuText(DriveOf(drive_entry));
}

bool DriveRepair::Start(const std::string& drive_entry) {
  if (Running()) return false;
  drive_ = DriveOf(drive_entry);
  if (const auto refusal = RepairRefusal(tree_, drive_, windows_drive_)) {
    system_.MsgBox(*refusal, kRepairNoticeFlags, kRepairTitle);
    return false;
  }
  scan_ = std::make_unique<RepairScan>(
      tree_, drive_,
      [this](std::string_view ansi) { return system_.AnsiToUtf8(ansi); });
  phase_ = Phase::kLooking;
  return true;
}

bool DriveRepair::Tick() {
  const auto end = std::chrono::steady_clock::now() + kTickTime;
  while (std::chrono::steady_clock::now() < end) {
    if (phase_ == Phase::kLooking) {
      if (scan_->Done()) {
        // Planning a large drive takes a while: a tick of its own.
        FinishLooking();
        break;
      }
      for (std::size_t i = 0; i < kStepsPerLook && scan_->Step(); ++i) {
      }
    } else if (phase_ == Phase::kRepairing) {
      std::vector<std::string> lines;
      for (std::size_t i = 0; i < kStepsPerLook && run_->Step(1, lines); ++i) {
        if (run_->StepsDone() % kProgressEvery == 0)
          lines.push_back(
              RepairProgressLine(drive_, run_->StepsDone(), run_->StepCount()));
      }
      for (const std::string& line : lines) log_.AddItem(line);
      RecordEvents();
      if (run_->Done()) {
        phase_ = Phase::kIdle;
        run_.reset();
      }
    } else {
      break;  // idle, or the question waits
    }
  }
  return Running();
}

// The drive's root could not be read: the error report box, as for any
// drive that is not ready. Otherwise the question, unless there is nothing
// to do.
void DriveRepair::FinishLooking() {
  const ScanFindings findings = scan_->TakeFindings();
  scan_.reset();
  phase_ = Phase::kIdle;
  if (findings.root_error.failed()) {
    ShowErrorReport(system_, findings.root_error);
    return;
  }
  RepairPlan plan = BuildPlan(findings);
  if (!plan.HasWork()) {
    system_.MsgBox(NothingToRepairText(drive_), kRepairNoticeFlags,
                   kRepairTitle);
    return;
  }
  phase_ = Phase::kAsking;
  const int answer =
      system_.MsgBox(PreviewText(plan), kRepairQuestionFlags, kRepairTitle);
  if (phase_ != Phase::kAsking) return;  // stopped while the box waited
  if (answer != kResultYes) {
    phase_ = Phase::kIdle;
    return;
  }
  log_.AddItem(RepairStartLine(drive_));
  run_ = std::make_unique<RepairRun>(tree_, std::move(plan));
  failures_recorded_ = 0;
  phase_ = Phase::kRepairing;
}

void DriveRepair::RecordEvents() {
  if (!events_) return;
  const auto& failed = run_->failed_steps();
  for (; failures_recorded_ < failed.size(); ++failures_recorded_)
    events_->RepairStepFailed(failed[failures_recorded_].first,
                              failed[failures_recorded_].second);
  if (run_->Done())
    events_->RepairDone(drive_, run_->shortcuts_deleted(),
                        run_->entries_shown(), run_->failures());
}

void DriveRepair::Stop() {
  if (phase_ == Phase::kRepairing) log_.AddItem(RepairStoppedLine(drive_));
  phase_ = Phase::kIdle;
  scan_.reset();
  run_.reset();
}

}  // namespace velmora
