#include "removal/deletion.h"

#include "removal/log_lines.h"

namespace velmora {

std::optional<std::string> DeletionFailure(System& system,
                                           const std::string& path,
                                           const Error& kill) {
  // Checked first: a file already marked for deletion refuses a second
  // deletion with access denied, which says nothing of why.
  if (system.DeletePending(path)) return kInUseReason;
  if (kill.failed()) {
    if (kill.description.empty()) return "error " + std::to_string(kill.number);
    return kill.description;
  }
  if (system.PathExists(path)) return kStillThereReason;
  return std::nullopt;
}

}  // namespace velmora
