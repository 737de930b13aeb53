// The activity-log lines the tests expect, spelt once for every suite that
// reads the log (the backend tests under Wine, the end-to-end tests). They
// are written out here rather than taken from the program, so that a change
// of a line in the program shows as a failing test.
#pragma once

#include <string>
#include <vector>

namespace autorun_lines {

// "D:\autorun.inf" for the drive entry "D:" or the letter 'D'.
inline std::string PathOn(const std::string& drive) {
  return drive + "\\autorun.inf";
}
inline std::string PathOn(char letter) {
  return PathOn(std::string{letter, ':'});
}

inline std::string Found(const std::string& path) {
  return "Autorun Found in: " + path;
}
inline std::string Removing(const std::string& path) {
  return "Removing from: " + path;
}
inline std::string Removed(const std::string& path) {
  return "Autorun Removed from: " + path;
}
inline std::string Deleted(const std::string& path) {
  return "Autorun Deleted : " + path;
}
inline std::string Canceled(const std::string& path) {
  return "Autorun Removal Canceled : " + path;
}
inline std::string NotFound(const std::string& path) {
  return "Autorun does not exists in " + path;
}
// A failure line is this, then the system's reason, then ")".
inline std::string FailedStart(const std::string& path) {
  return "Autorun Removal Failed: " + path + " (";
}

// What the silent search logs for one drive: three lines when it removes
// the file at `path`, one when there is none.
inline std::vector<std::string> SilentSearch(const std::string& path,
                                             bool removes) {
  if (!removes) return {NotFound(path)};
  return {Found(path), Removing(path), Removed(path)};
}

}  // namespace autorun_lines
