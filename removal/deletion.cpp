#include "removal/deletion.h"

#include "removal/log_lines.h"

namespace velmora {

Deletion DeleteAutorun(System& system, const std::string& path) {
  system.SetAttrZero(path);
  const Error kill = system.Kill(path);
  // Checked first: a file already marked for deletion refuses a second
  // deletion with access denied, which says nothing of why.
  if (system.DeletePending(path)) return {false, kInUseReason};
  if (kill.failed()) {
    if (kill.description.empty())
      return {false, "error " + std::to_string(kill.number)};
    return {false, kill.description};
  }
  if (system.PathExists(path)) return {false, kStillThereReason};
  return {true, ""};
}

}  // namespace velmora
