// The one file the program ever deletes on a drive, and the path it has.
#pragma once

#include <string>

namespace velmora {

inline constexpr const char* kAutorunFileName = "autorun.inf";

// "<entry>\autorun.inf" for a drive entry ("E:").
inline std::string AutorunPath(const std::string& entry) {
  return entry + "\\" + kAutorunFileName;
}

}  // namespace velmora
