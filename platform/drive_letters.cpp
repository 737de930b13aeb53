#include <cctype>

#include "platform/platform.h"

namespace velmora {

bool DriveLetters::Has(std::string_view entry) const {
  if (entry.size() < 2 || entry[1] != ':') return false;
  const int letter = std::toupper(static_cast<unsigned char>(entry[0]));
  if (letter < 'A' || letter > 'Z') return false;
  return (mask_ >> (letter - 'A')) & 1u;
}

}  // namespace velmora
