// The log lines the tests expect, spelt out here rather than taken from the
// program's own texts, so that a changed text is caught.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace velmora {

using Lines = std::vector<std::string>;

inline std::string AutorunOf(const std::string& entry) {
  return entry + "\\autorun.inf";
}
inline std::string Removed(const std::string& entry) {
  return "Autorun Removed from: " + AutorunOf(entry);
}
inline std::string WriteProtected(const std::string& entry) {
  return "Autorun Removal Failed: " + AutorunOf(entry) +
         " (The media is write protected.)";
}
inline std::string NotReady(const std::string& entry) {
  return "Drive Not Ready/CD Drive  in " + AutorunOf(entry);
}
inline std::string NotFound(const std::string& entry) {
  return "Autorun does not exists in " + AutorunOf(entry);
}
// What the silent search logs for a file it deletes.
inline Lines Silent(const std::string& entry) {
  const std::string path = AutorunOf(entry);
  return {"Autorun Found in: " + path, "Removing from: " + path,
          "Autorun Removed from: " + path};
}
// What the confirming search logs for a file the user lets it delete.
inline Lines ConfirmedYes(const std::string& entry) {
  const std::string path = AutorunOf(entry);
  return {"Autorun Found in: " + path, "Removing from: " + path,
          "Autorun Deleted : " + path, "Autorun Removed from: " + path};
}
inline Lines ConfirmedNo(const std::string& entry) {
  const std::string path = AutorunOf(entry);
  return {"Autorun Found in: " + path, "Autorun Removal Canceled : " + path};
}
inline Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace velmora
