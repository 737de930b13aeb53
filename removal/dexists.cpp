#include "removal/dexists.h"

namespace velmora {

int DExists(System& system, const std::string& OrigFile) {
  const DriveStatus status = system.ProbeDrive(OrigFile);
  if (status.error.failed()) return kDriveNotReady;
  if (!status.exists) return kNoSuchDrive;
  int result = kDriveNotReady;
  if (status.ready) result = kDriveReady;
  return result;
}

}  // namespace velmora
