#include "app/guard_notices.h"

namespace velmora {
namespace {

// The most drives one sentence names; the rest are counted.
constexpr std::size_t kNamedDrives = 3;

// "E:\autorun.inf" -> "E:".
std::string DriveOfPath(const std::string& path) { return path.substr(0, 2); }

// "E:", "E:, F:", "E:, F:, G: and 2 more".
std::string Named(const std::vector<std::string>& drives) {
  std::string text;
  for (std::size_t i = 0; i < drives.size() && i < kNamedDrives; ++i) {
    if (!text.empty()) text += ", ";
    text += drives[i];
  }
  if (drives.size() > kNamedDrives)
    text += " and " + std::to_string(drives.size() - kNamedDrives) + " more";
  return text;
}

// The log's worm line without what the click line says of the repair.
std::string WormFoundShort(const ArrivalLook& look) {
  const std::size_t n = look.worm_shortcuts;
  return "Shortcut Worm Found on: " + look.drive + "\\ (" + std::to_string(n) +
         (n == 1 ? " worm shortcut)" : " worm shortcuts)");
}

}  // namespace

std::string RepairWaitsLine(const std::string& drive) {
  return "A repair is running: choose Repair Hidden Files on " + drive +
         " once it has ended";
}

// At most three drives named per sentence, and the worm's line for the
// first drive only, keep the text within a balloon's 255 characters
// however many drives a walk touched.
std::optional<GuardNotice> NoticeFor(const RemovalRound& round,
                                     const std::vector<ArrivalLook>& looks,
                                     bool arrival) {
  GuardNotice notice;
  std::vector<std::string> lines;
  std::vector<std::string> removed, failed, left, worms;
  for (const std::string& path : round.removed)
    removed.push_back(DriveOfPath(path));
  for (const auto& [path, reason] : round.failed)
    failed.push_back(DriveOfPath(path));
  for (const std::string& path : round.left) left.push_back(DriveOfPath(path));
  if (!removed.empty()) {
    notice.balloon.title = "Autorun Removed";
    lines.push_back("Removed autorun.inf from " + Named(removed) + ".");
  }
  if (!left.empty()) {
    notice.balloon.title = "Autorun Found";
    lines.push_back("Found autorun.inf on " + Named(left) +
                    " (not deleted: your organization's policy allows "
                    "reporting only).");
  }
  if (!failed.empty()) {
    notice.balloon.title = "Autorun Removal Failed";
    lines.push_back("Could not remove autorun.inf from " + Named(failed) + ".");
  }
  for (const ArrivalLook& look : looks) {
    if (look.worm_shortcuts == 0) continue;
    if (worms.empty()) lines.push_back(WormFoundShort(look));
    worms.push_back(look.drive);
  }
  if (!worms.empty()) {
    notice.balloon.title = "Shortcut Worm Found";
    notice.worm_drive = worms.front();
    worms.erase(worms.begin());
    if (!worms.empty()) lines.push_back("Also found on " + Named(worms) + ".");
    lines.push_back("Click here to see what Repair Hidden Files would do on " +
                    notice.worm_drive + ".");
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
