// The registry: the few operations the program needs from the system's
// settings store, and no more.
//
// The program reads and writes whole 32-bit numbers (DWORD values) and
// strings (REG_SZ), and reads bytes (REG_BINARY); a value it is about to
// change it can read and write back as stored, whatever its type. It reads from
// the user's own hive (HKCU) and from the machine's (HKLM, the 64-bit view on
// 64-bit Windows, which is where policies live); it writes and deletes under
// the user's own hive only, which needs no administrator rights. A key is named
// by its path below the hive, with backslashes
// ("Software\Velmora"), and a value by its name inside that key.
//
// Which keys and values are touched is decided by the callers; a backend
// passes the names through exactly as given and never looks anywhere else.
// Every failure is reported as an Error: on Win32 the system's error code
// and its message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace velmora {

// A value as the registry stores it, of whatever type, so that it can be
// put back exactly as it was.
struct RawValue {
  std::uint32_t type = 0;  // as Windows numbers them: 1 REG_SZ, 3 REG_BINARY...
  std::string bytes;
  bool operator==(const RawValue&) const = default;
};

// The length of UTF-8 text as the registry counts it, in UTF-16 units: one
// for each character's first byte, two for a character beyond U+FFFF (a
// surrogate pair).
inline std::size_t Utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

// The two hives the program reads from.
enum class Hive {
  CurrentUser,   // HKEY_CURRENT_USER: this account's settings
  LocalMachine,  // HKEY_LOCAL_MACHINE: the machine's, set by its administrator
};

class Registry {
 public:
  virtual ~Registry() = default;

  // The DWORD value `name` of the key `key` in `hive`. Absent (nullopt, no
  // error) when the key or the value does not exist. A value of another
  // type, or a key that cannot be read, gives nullopt and sets `error`.
  virtual std::optional<std::uint32_t> ReadDword(Hive hive,
                                                 const std::string& key,
                                                 const std::string& name,
                                                 Error& error) = 0;
  // Sets the DWORD value `name` of the key `key` under HKCU, creating the
  // key (and the keys above it) where it is missing.
  virtual Error WriteDword(const std::string& key, const std::string& name,
                           std::uint32_t value) = 0;
  // The REG_SZ value `name`, in UTF-8, without its closing null. Absent as
  // for ReadDword. A value of another type (REG_EXPAND_SZ too), one longer
  // than `max_chars` UTF-16 characters, or a key that cannot be read gives
  // nullopt and sets `error`.
  virtual std::optional<std::string> ReadString(Hive hive,
                                                const std::string& key,
                                                const std::string& name,
                                                std::size_t max_chars,
                                                Error& error) = 0;
  // Sets the REG_SZ value `name` of the key `key` under HKCU, creating the
  // key where it is missing.
  virtual Error WriteString(const std::string& key, const std::string& name,
                            const std::string& value) = 0;
  // The bytes of the REG_BINARY value `name` (possibly none). Absent as for
  // ReadDword; another type, more than `max_bytes` bytes, or a key that
  // cannot be read gives nullopt and sets `error`.
  virtual std::optional<std::string> ReadBinary(Hive hive,
                                                const std::string& key,
                                                const std::string& name,
                                                std::size_t max_bytes,
                                                Error& error) = 0;
  // The value `name` of the key `key` under HKCU as it is stored, of any
  // type. Absent as for ReadDword; more than `max_bytes` bytes, or a key
  // that cannot be read, gives nullopt and sets `error`.
  virtual std::optional<RawValue> ReadRaw(const std::string& key,
                                          const std::string& name,
                                          std::size_t max_bytes,
                                          Error& error) = 0;
  // Sets the value `name` of the key `key` under HKCU to exactly `value`,
  // creating the key where it is missing.
  virtual Error WriteRaw(const std::string& key, const std::string& name,
                         const RawValue& value) = 0;
  // Deletes the value `name` of the key `key` under HKCU. A value or key
  // that is already absent is not an error.
  virtual Error DeleteValue(const std::string& key,
                            const std::string& name) = 0;
  // Deletes the key `key` under HKCU when it holds no values and no keys;
  // leaves it alone otherwise. A key that is already absent is not an error.
  virtual Error DeleteKeyIfEmpty(const std::string& key) = 0;
};

}  // namespace velmora
