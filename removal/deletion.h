// Whether a deletion really happened.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace velmora {

// Judges the deletion of `path` by its result `kill` and by the path being
// gone afterwards: some file systems refuse a deletion and still report
// success, and a file that another program holds open with delete sharing
// is only marked for deletion. Gives nothing where the file is gone and the
// call succeeded, else the reason it failed, fit for the log.
std::optional<std::string> DeletionFailure(System& system,
                                           const std::string& path,
                                           const Error& kill);

}  // namespace velmora
