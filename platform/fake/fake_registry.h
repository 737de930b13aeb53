// An in-memory registry for tests: DWORD, string and binary values (and
// values of other types, which read as errors) in both hives, keys and names
// compared without regard to case as Windows does, and injected failures for
// writes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace velmora::fake {

class FakeRegistry : public Registry {
 public:
  // --- setting the scene ---
  void Set(Hive hive, const std::string& key, const std::string& name,
           std::uint32_t value);
  void SetString(Hive hive, const std::string& key, const std::string& name,
                 const std::string& value);
  void SetBinary(Hive hive, const std::string& key, const std::string& name,
                 const std::string& bytes);
  // A value of a type that the program never reads (REG_EXPAND_SZ, say),
  // holding `bytes`.
  void SetOtherType(Hive hive, const std::string& key, const std::string& name,
                    const std::string& bytes = "");
  // Makes every later write or delete of the value `name` of HKCU's `key`
  // fail with `error` (with an empty `name`: the deletion of the key itself),
  // until cleared.
  void FailWrite(const std::string& key, const std::string& name,
                 std::uint32_t error);
  void ClearFailures() { failures_.clear(); }
  // Makes every later read from `key` of `hive` fail with `error`, as a key
  // whose permissions keep the account out.
  void FailRead(Hive hive, const std::string& key, std::uint32_t error) {
    failed_reads_[Id(hive, key)] = error;
  }

  // --- what is there ---
  // The DWORD value, or nullopt where it is absent (or of another type).
  std::optional<std::uint32_t> Get(Hive hive, const std::string& key,
                                   const std::string& name) const;
  // The string or binary value, nullopt where absent or of another type.
  std::optional<std::string> GetString(Hive hive, const std::string& key,
                                       const std::string& name) const;
  std::optional<std::string> GetBinary(Hive hive, const std::string& key,
                                       const std::string& name) const;
  // The value as stored, of any type, nullopt where absent.
  std::optional<RawValue> GetRaw(Hive hive, const std::string& key,
                                 const std::string& name) const;
  // Whether the value exists, of any type.
  bool HasValue(Hive hive, const std::string& key,
                const std::string& name) const {
    return Find(hive, key, name) != nullptr;
  }
  // Whether the key exists, with or without values.
  bool HasKey(Hive hive, const std::string& key) const;
  // Successful writes and deletions so far.
  int changes = 0;

  // --- Registry ---
  std::optional<std::uint32_t> ReadDword(Hive hive, const std::string& key,
                                         const std::string& name,
                                         Error& error) override;
  Error WriteDword(const std::string& key, const std::string& name,
                   std::uint32_t value) override;
  std::optional<std::string> ReadString(Hive hive, const std::string& key,
                                        const std::string& name,
                                        std::size_t max_chars,
                                        Error& error) override;
  Error WriteString(const std::string& key, const std::string& name,
                    const std::string& value) override;
  std::optional<std::string> ReadBinary(Hive hive, const std::string& key,
                                        const std::string& name,
                                        std::size_t max_bytes,
                                        Error& error) override;
  std::optional<RawValue> ReadRaw(const std::string& key,
                                  const std::string& name,
                                  std::size_t max_bytes, Error& error) override;
  Error WriteRaw(const std::string& key, const std::string& name,
                 const RawValue& value) override;
  Error DeleteValue(const std::string& key, const std::string& name) override;
  Error DeleteKeyIfEmpty(const std::string& key) override;

 private:
  enum class Type { Dword, String, Binary, Other };
  struct Value {
    Type type = Type::Dword;
    std::uint32_t dword = 0;
    std::string bytes;  // a string's UTF-8 or a binary value's bytes
  };
  // The value where it is there and of `type`; sets `error` for another
  // type.
  const Value* Typed(Hive hive, const std::string& key, const std::string& name,
                     Type type, Error& error) const;
  using Values = std::map<std::string, Value>;  // by upper-case name
  using KeyId = std::pair<Hive, std::string>;   // upper-case path

  static KeyId Id(Hive hive, const std::string& key);
  const Value* Find(Hive hive, const std::string& key,
                    const std::string& name) const;
  Error Failure(const std::string& key, const std::string& name) const;

  std::map<KeyId, Values> keys_;
  std::map<std::pair<std::string, std::string>, std::uint32_t> failures_;
  std::map<KeyId, std::uint32_t> failed_reads_;
};

}  // namespace velmora::fake
