#include "removal/search_remove.h"

#include <cstdint>

#include "removal/deletion.h"
#include "removal/dexists.h"
#include "removal/log_lines.h"

namespace velmora {
namespace {

// The file is there: reported, left, or deleted (after the question where
// `confirming`).
SearchOutcome Treat(System& system, const std::string& path, bool confirming,
                    ListBox& List1, const RemovalRules& rules) {
  RemovalObserver* observer = rules.observer;
  if (rules.mode == RemovalMode::Report) {
    List1.AddItem(kFoundLine + path);
    return SearchOutcome::Found;
  }
  if (rules.mode == RemovalMode::LeaveByPolicy) {
    List1.AddItem(LeftByPolicyLine(path));
    if (observer) observer->Left(path, rules.cause);
    return SearchOutcome::Left;
  }
  List1.AddItem(kFoundLine + path);
  if (confirming && system.MsgBox(kConfirmText + path, kConfirmFlags,
                                  kConfirmTitle) != kResultYes) {
    List1.AddItem(kCancelledLine + path);
    return SearchOutcome::Cancelled;
  }
  if (!confirming) List1.AddItem(kRemovingLine + path);
  if (observer) observer->Found(path);
  if (const Deletion d = DeleteAutorun(system, path); !d.removed) {
    List1.AddItem(FailedLine(path, d.reason));
    if (observer) observer->Failed(path, d.reason, rules.cause);
    return SearchOutcome::Failed;
  }
  if (confirming) {
    List1.AddItem(kRemovingLine + path);
    List1.AddItem(kDeletedLine + path);
  }
  List1.AddItem(kRemovedLine + path);
  if (observer) observer->Deleted(path, rules.cause);
  return SearchOutcome::Deleted;
}

}  // namespace

// Every failing step is skipped and the walk goes on (resume-next), except
// that a failure never becomes a claim: a failed probe is a drive that is
// not ready, a failed existence test a file that is not there, and a
// deletion counts only where the file is gone afterwards.
SearchOutcome SearchDrive(System& system, const std::string& entry,
                          bool confirming, ListBox& List1,
                          const RemovalRules& rules) {
  // Formed once, so that the file asked about is the file deleted even
  // where the drive list changes while the question waits.
  const std::string path = AutorunPath(entry);
  if (DExists(system, entry) != kDriveReady) {
    List1.AddItem(kNotReadyLine + path);
    return SearchOutcome::NotReady;
  }
  system.ChangeDrive(entry);
  if (rules.mode != RemovalMode::Delete) {
    // Nothing may change, not even an attribute: the folder's listing sees
    // hidden and system files as they are.
    if (!FileListedAt(system, path)) {
      List1.AddItem(kNotFoundLine + path);
      return SearchOutcome::Clean;
    }
    return Treat(system, path, confirming, List1, rules);
  }
  // The existence test passes over hidden and system files; clearing the
  // attributes first makes such a file visible to it. One that could not
  // be cleared (a write-protected medium) is there all the same.
  const Error cleared = system.SetAttrZero(path);
  Error dir_error;
  if (system.Dir(path, dir_error).empty() || dir_error.failed()) {
    if (const auto reason = UnseenAutorun(system, path, cleared)) {
      List1.AddItem(FailedLine(path, *reason));
      if (rules.observer) rules.observer->Failed(path, *reason, rules.cause);
      return SearchOutcome::Failed;
    }
    List1.AddItem(kNotFoundLine + path);
    return SearchOutcome::Clean;
  }
  return Treat(system, path, confirming, List1, rules);
}

void cmdremove_Click(System& system, DriveList& Drive1, CheckBox& Check3,
                     ListBox& List1, const RemovalRules& rules) {
  const bool confirming = Check3.Value() == 1;
  Drive1.Refresh();
  const std::int16_t n = Drive1.ListCount();
  for (int i = 0; i < n; ++i) {
    // Timers tick while a question waits, so the list may have shrunk since
    // n was taken; a row that is gone names no drive and is passed over.
    if (Drive1.List(i).empty()) continue;
    SearchDrive(system, Drive1.List(i), confirming, List1, rules);
  }
}

}  // namespace velmora
