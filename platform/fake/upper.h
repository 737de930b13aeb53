// Names in the fake backend compare as Windows compares them, without
// regard to (ASCII) case: keys are kept in upper case.
#pragma once

#include <cctype>
#include <string>

namespace velmora::fake {

inline std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace velmora::fake
