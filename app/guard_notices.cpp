#include "app/guard_notices.h"

namespace velmora {
namespace {

// "E:\autorun.inf" -> "E:".
std::string DriveOfPath(const std::string& path) { return path.substr(0, 2); }

std::string Joined(const std::vector<std::string>& drives) {
  std::string text;
  for (const std::string& drive : drives) {
    if (!text.empty()) text += ", ";
    text += drive;
  }
  return text;
}

}  // namespace

std::string RepairWaitsLine(const std::string& drive) {
  return "A repair is running: choose Repair Hidden Files on " + drive +
         " once it has ended";
}

std::optional<GuardNotice> NoticeFor(const RemovalRound& round,
                                     const std::vector<ArrivalLook>& looks,
                                     bool arrival) {
  GuardNotice notice;
  std::vector<std::string> lines;
  for (const ArrivalLook& look : looks) {
    if (look.worm_shortcuts == 0) continue;
    if (notice.worm_drive.empty()) notice.worm_drive = look.drive;
    lines.push_back(WormFoundLine(look));
  }
  if (!notice.worm_drive.empty()) {
    notice.balloon.title = "Shortcut Worm Found";
    lines.push_back("Click here to see what Repair Hidden Files would do on " +
                    notice.worm_drive + ".");
  }
  if (!round.failed.empty()) {
    std::vector<std::string> drives;
    for (const auto& [path, reason] : round.failed)
      drives.push_back(DriveOfPath(path));
    lines.insert(lines.begin(),
                 "Could not remove autorun.inf from " + Joined(drives) + ".");
    if (notice.balloon.title.empty())
      notice.balloon.title = "Autorun Removal Failed";
  }
  if (!round.removed.empty()) {
    std::vector<std::string> drives;
    for (const std::string& path : round.removed)
      drives.push_back(DriveOfPath(path));
    lines.insert(lines.begin(),
                 "Removed autorun.inf from " + Joined(drives) + ".");
    if (notice.balloon.title.empty()) notice.balloon.title = "Autorun Removed";
  }
  if (lines.empty()) return std::nullopt;
  for (const std::string& line : lines) {
    if (!notice.balloon.text.empty()) notice.balloon.text += '\n';
    notice.balloon.text += line;
  }
  notice.balloon.device_feedback = arrival;
  return notice;
}

}  // namespace velmora
