// The honest deletion of one autorun.inf: the only way the program deletes
// a file.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace velmora {

struct Deletion {
  bool removed = false;
  std::string reason;  // why it failed, fit for the log; empty when removed
};

// Clears the attributes of `path` (a read-only file cannot be deleted),
// deletes it, and counts it removed only where the delete call succeeded
// and the path is gone afterwards: some file systems refuse a deletion and
// still report success, and a file that another program holds open with
// delete sharing is only marked for deletion.
Deletion DeleteAutorun(System& system, const std::string& path);

// The existence test passes over a hidden or system file, so the searches
// clear the attributes first. Where that clearing failed (`clearing`, on a
// write-protected medium) and a file, not a folder, is at `path` all the
// same, gives why it stays: the log then says the removal failed rather
// than that there is no file. Nothing otherwise.
std::optional<std::string> UnseenAutorun(System& system,
                                         const std::string& path,
                                         const Error& clearing);

// Whether a file (not a folder) is at `path`, hidden and system ones
// included, found by listing its folder: nothing is changed, not even an
// attribute. A listing that fails counts as no file.
bool FileListedAt(System& system, const std::string& path);

}  // namespace velmora
