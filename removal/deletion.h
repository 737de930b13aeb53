// The honest deletion of one autorun.inf: the only way the program deletes
// a file.
#pragma once

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

}  // namespace velmora
