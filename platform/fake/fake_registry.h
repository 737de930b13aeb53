// An in-memory registry for tests: DWORD values (and values of other types,
// which read as errors) in both hives, keys and names compared without
// regard to case as Windows does, and injected failures for writes.
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
  // A value of another type than DWORD (a string, say).
  void SetOtherType(Hive hive, const std::string& key, const std::string& name);
  // Makes every later write or delete of the value `name` of HKCU's `key`
  // fail with `error` (with an empty `name`: the deletion of the key itself),
  // until cleared.
  void FailWrite(const std::string& key, const std::string& name,
                 std::uint32_t error);
  void ClearFailures() { failures_.clear(); }

  // --- what is there ---
  // The DWORD value, or nullopt where it is absent (or of another type).
  std::optional<std::uint32_t> Get(Hive hive, const std::string& key,
                                   const std::string& name) const;
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
  Error DeleteValue(const std::string& key, const std::string& name) override;
  Error DeleteKeyIfEmpty(const std::string& key) override;

 private:
  struct Value {
    std::uint32_t dword = 0;
    bool is_dword = true;
  };
  using Values = std::map<std::string, Value>;  // by upper-case name
  using KeyId = std::pair<Hive, std::string>;   // upper-case path

  static KeyId Id(Hive hive, const std::string& key);
  const Value* Find(Hive hive, const std::string& key,
                    const std::string& name) const;
  Error Failure(const std::string& key, const std::string& name) const;

  std::map<KeyId, Values> keys_;
  std::map<std::pair<std::string, std::string>, std::uint32_t> failures_;
};

}  // namespace velmora::fake
