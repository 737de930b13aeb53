#include "removal/deletion.h"

#include "removal/log_lines.h"

namespace velmora {

namespace {

std::string ReasonOf(const Error& error) {
  if (error.description.empty()) return "error " + std::to_string(error.number);
  return error.description;
}

}  // namespace

Deletion DeleteAutorun(System& system, const std::string& path) {
  system.SetAttrZero(path);
  const Error kill = system.Kill(path);
  // Checked first: a file already marked for deletion refuses a second
  // deletion with access denied, which says nothing of why.
  if (system.DeletePending(path)) return {false, kInUseReason};
  if (kill.failed()) return {false, ReasonOf(kill)};
  if (system.PathExists(path)) return {false, kStillThereReason};
  return {true, ""};
}

// Asked only when the clearing failed with something else than "nothing
// there", so that a drive without the file costs no further call. The
// listing names files only, hidden and system ones included.
std::optional<std::string> UnseenAutorun(System& system,
                                         const std::string& path,
                                         const Error& clearing) {
  if (!clearing.failed() || clearing.nothing_there()) return std::nullopt;
  if (!FileListedAt(system, path)) return std::nullopt;
  return ReasonOf(clearing);
}

bool FileListedAt(System& system, const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return false;
  Error error;
  const std::vector<std::string> files = system.ListFiles(
      path.substr(0, slash + 1), path.substr(slash + 1), error);
  return !error.failed() && !files.empty();
}

}  // namespace velmora
