#include "removal/auto_removal.h"

#include <cstdint>

#include "removal/deletion.h"
#include "removal/dexists.h"
#include "removal/log_lines.h"

namespace velmora {

// Silent: nothing is logged but deletions and, once per path, a deletion
// that failed. A failing step is skipped; a failed probe counts as not
// ready and a failed existence test as not found, so neither is logged.
// A failure stays remembered only while every walk over its drive finds the
// file and fails to delete it; a walk where the file is gone, or its drive
// not ready or not listed, lets the next failure be logged again.
RemovalRound AutoRemoval::Timer1_Timer(System& system, DriveList& Drive1,
                                       ListBox& List1) {
  RemovalRound round;
  std::set<std::string> still_failing;
  Drive1.Refresh(DriveRead::Recent);
  const std::int16_t n = Drive1.ListCount();
  for (int i = 0; i < n; ++i) {
    if (DExists(system, Drive1.List(i)) != kDriveReady) continue;
    Clean(system, Drive1.List(i), List1, still_failing, round,
          RemovalCause::AutoRemove);
  }
  failure_logged_ = std::move(still_failing);
  return round;
}

// The drives not named keep what is remembered of them.
RemovalRound AutoRemoval::RemoveFromArrived(System& system, ListBox& List1,
                                            DriveLetters arrived) {
  RemovalRound round;
  std::set<std::string> still_failing;
  for (const std::string& path : failure_logged_) {
    if (!arrived.Has(path)) still_failing.insert(path);
  }
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string entry{letter, ':'};
    if (!arrived.Has(entry)) continue;
    if (DExists(system, entry) != kDriveReady) continue;
    Clean(system, entry, List1, still_failing, round, RemovalCause::Arrival);
  }
  failure_logged_ = std::move(still_failing);
  return round;
}

void AutoRemoval::Clean(System& system, const std::string& entry,
                        ListBox& List1, std::set<std::string>& still_failing,
                        RemovalRound& round, RemovalCause cause) {
  system.ChangeDrive(entry);
  const std::string path = AutorunPath(entry);
  if (mode_ != RemovalMode::Delete) {
    // Nothing changes, not even an attribute.
    if (FileListedAt(system, path))
      LeaveOnce(path, List1, still_failing, round, cause);
    return;
  }
  const Error cleared = system.SetAttrZero(path);
  Error dir_error;
  if (system.Dir(path, dir_error).empty() || dir_error.failed()) {
    // A hidden or system file whose attributes could not be cleared stays
    // unseen by the existence test, yet it is there and stays.
    if (const auto reason = UnseenAutorun(system, path, cleared))
      LogFailureOnce(path, *reason, List1, still_failing, round, cause);
    return;
  }
  if (observer_) observer_->Found(path);
  if (const Deletion d = DeleteAutorun(system, path); !d.removed) {
    LogFailureOnce(path, d.reason, List1, still_failing, round, cause);
    return;
  }
  List1.AddItem(kRemovedLine + path);
  round.removed.push_back(path);
  if (observer_) observer_->Deleted(path, cause);
}

void AutoRemoval::LeaveOnce(const std::string& path, ListBox& List1,
                            std::set<std::string>& still_there,
                            RemovalRound& round, RemovalCause cause) {
  if (!failure_logged_.contains(path)) {
    List1.AddItem(LeftByPolicyLine(path));
    round.left.push_back(path);
    if (observer_) observer_->Left(path, cause);
  }
  still_there.insert(path);
}

void AutoRemoval::LogFailureOnce(const std::string& path,
                                 const std::string& reason, ListBox& List1,
                                 std::set<std::string>& still_failing,
                                 RemovalRound& round, RemovalCause cause) {
  if (!failure_logged_.contains(path)) {
    List1.AddItem(FailedLine(path, reason));
    round.failed.emplace_back(path, reason);
    if (observer_) observer_->Failed(path, reason, cause);
  }
  still_failing.insert(path);
}

}  // namespace velmora
