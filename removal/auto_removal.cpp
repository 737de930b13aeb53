#include "removal/auto_removal.h"

#include <cstdint>

#include "removal/deletion.h"
#include "removal/dexists.h"
#include "removal/log_lines.h"

namespace velmora {

void AutoRemoval::Timer1_Timer(System& system, DriveList& Drive1,
                               ListBox& List1) {
  Walk(system, Drive1, List1, [](const std::string&) { return true; });
}

void AutoRemoval::RemoveFromArrived(System& system, DriveList& Drive1,
                                    ListBox& List1, DriveLetters arrived) {
  Walk(system, Drive1, List1,
       [arrived](const std::string& entry) { return arrived.Has(entry); });
}

// Silent: nothing is logged but deletions and, once per path, a deletion
// that failed. A failing step is skipped; a failed probe counts as not
// ready and a failed existence test as not found, so neither is logged.
template <typename Wanted>
void AutoRemoval::Walk(System& system, DriveList& Drive1, ListBox& List1,
                       Wanted wanted) {
  // A failure stays remembered only while every walk over its drive finds
  // the file and fails to delete it; a walk where the file is gone, or its
  // drive not ready or not listed, lets the next failure be logged again.
  // A walk over some drives keeps what it did not look at.
  std::set<std::string> still_failing;
  for (const std::string& path : failure_logged_) {
    if (!wanted(path.substr(0, 2))) still_failing.insert(path);
  }
  Drive1.Refresh();
  const std::int16_t n = Drive1.ListCount();
  for (int i = 0; i < n; ++i) {
    if (!wanted(Drive1.List(i))) continue;
    if (DExists(system, Drive1.List(i)) != kDriveReady) continue;
    system.ChangeDrive(Drive1.List(i));
    const std::string path = AutorunPath(Drive1.List(i));
    system.SetAttrZero(path);
    Error dir_error;
    if (system.Dir(path, dir_error).empty() || dir_error.failed()) continue;
    if (const Deletion d = DeleteAutorun(system, path); !d.removed) {
      if (!failure_logged_.contains(path))
        List1.AddItem(FailedLine(path, d.reason));
      still_failing.insert(path);
      continue;
    }
    List1.AddItem(kRemovedLine + path);
  }
  failure_logged_ = std::move(still_failing);
}

}  // namespace velmora
