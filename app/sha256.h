// SHA-256 (FIPS 180-4) of a byte string, for the event that records an
// autorun.inf's content before its deletion. Portable, so that the fake
// platform's tests and the real program give the same digest.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace velmora
