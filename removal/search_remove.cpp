#include "removal/search_remove.h"

#include <cstdint>

#include "removal/deletion.h"
#include "removal/dexists.h"
#include "removal/log_lines.h"

namespace velmora {

// Every failing step is skipped and the walk goes on (resume-next), except
// that a failure never becomes a claim: a failed probe is a drive that is
// not ready, a failed existence test a file that is not there, and a
// deletion counts only where the file is gone afterwards.
void cmdremove_Click(System& system, DriveList& Drive1, CheckBox& Check3,
                     ListBox& List1) {
  const bool confirming = Check3.Value() == 1;
  Drive1.Refresh();
  const std::int16_t n = Drive1.ListCount();
  for (int i = 0; i < n; ++i) {
    // Timers tick while a question waits, so the list may have shrunk since
    // n was taken; a row that is gone names no drive and is passed over.
    if (Drive1.List(i).empty()) continue;
    if (DExists(system, Drive1.List(i)) != kDriveReady) {
      List1.AddItem(kNotReadyLine + AutorunPath(Drive1.List(i)));
      continue;
    }
    system.ChangeDrive(Drive1.List(i));
    // Formed once, so that the file asked about is the file deleted even
    // where the list changes while the question waits.
    const std::string path = AutorunPath(Drive1.List(i));
    // The existence test passes over hidden and system files; clearing the
    // attributes first makes such a file visible to it. One that could not
    // be cleared (a write-protected medium) is there all the same.
    const Error cleared = system.SetAttrZero(path);
    Error dir_error;
    if (system.Dir(path, dir_error).empty() || dir_error.failed()) {
      if (const auto reason = UnseenAutorun(system, path, cleared))
        List1.AddItem(FailedLine(path, *reason));
      else
        List1.AddItem(kNotFoundLine + path);
      continue;
    }
    if (!confirming) {
      List1.AddItem(kFoundLine + path);
      List1.AddItem(kRemovingLine + path);
      if (const Deletion d = DeleteAutorun(system, path); !d.removed) {
        List1.AddItem(FailedLine(path, d.reason));
        continue;
      }
      List1.AddItem(kRemovedLine + path);
      continue;
    }
    List1.AddItem(kFoundLine + path);
    if (system.MsgBox(kConfirmText + path, kConfirmFlags, kConfirmTitle) !=
        kResultYes) {
      List1.AddItem(kCancelledLine + path);
      continue;
    }
    if (const Deletion d = DeleteAutorun(system, path); !d.removed) {
      List1.AddItem(FailedLine(path, d.reason));
      continue;
    }
    List1.AddItem(kRemovingLine + path);
    List1.AddItem(kDeletedLine + path);
    List1.AddItem(kRemovedLine + path);
  }
}

}  // namespace velmora
