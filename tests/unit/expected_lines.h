// The log lines the unit tests expect, by drive entry, built from the lines
// every suite spells out in tests/common/autorun_lines.h.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/common/autorun_lines.h"

namespace velmora {

using Lines = std::vector<std::string>;
using autorun_lines::PathOn;

inline std::string Removed(const std::string& entry) {
  return autorun_lines::Removed(PathOn(entry));
}
inline std::string WriteProtected(const std::string& entry) {
  return autorun_lines::FailedStart(PathOn(entry)) +
         "The media is write protected.)";
}
inline std::string NotReady(const std::string& entry) {
  return "Drive Not Ready/CD Drive  in " + PathOn(entry);
}
inline std::string NotFound(const std::string& entry) {
  return autorun_lines::NotFound(PathOn(entry));
}
// What the silent search logs for a file it deletes.
inline Lines Silent(const std::string& entry) {
  return autorun_lines::SilentSearch(PathOn(entry), true);
}
// What the confirming search logs for a file the user lets it delete.
inline Lines ConfirmedYes(const std::string& entry) {
  const std::string path = PathOn(entry);
  return {autorun_lines::Found(path), autorun_lines::Removing(path),
          autorun_lines::Deleted(path), autorun_lines::Removed(path)};
}
inline Lines ConfirmedNo(const std::string& entry) {
  const std::string path = PathOn(entry);
  return {autorun_lines::Found(path), autorun_lines::Canceled(path)};
}
inline Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace velmora
