#include "removal/auto_removal.h"

#include <cstdint>

#include "removal/deletion.h"
#include "removal/dexists.h"
#include "removal/log_lines.h"

namespace velmora {

// Silent: nothing is logged but deletions and, once per path, a deletion
// that failed. A failing step is skipped; a failed probe counts as not
// ready and a failed existence test as not found, so neither is logged.
void AutoRemoval::Timer1_Timer(System& system, DriveList& Drive1,
                               ListBox& List1) {
  // A failure stays remembered only while every tick finds the file and
  // fails to delete it; a tick where the file is gone, or its drive not
  // ready or not listed, lets the next failure be logged again.
  std::set<std::string> still_failing;
  Drive1.Refresh();
  const std::int16_t n = Drive1.ListCount();
  for (int i = 0; i < n; ++i) {
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
