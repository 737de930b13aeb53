// The drive readiness probe: whether a drive entry names a drive that exists
// and is ready to be searched.
#pragma once

#include <string>

#include "platform/platform.h"

namespace velmora {

// Drive readiness codes. The searches only ever compare with kDriveReady.
inline constexpr int kNoSuchDrive = 0;
inline constexpr int kDriveNotReady = 1;
inline constexpr int kDriveReady = 2;

// Asks the system afresh on every call; nothing is kept between calls. A
// probe that fails counts as not ready, so that a failure never leads to a
// search of the drive.
int DExists(System& system, const std::string& OrigFile);

}  // namespace velmora
