#include "platform/fake/fake_registry.h"

#include <cctype>

#include "platform/fake/fake_platform.h"
#include "platform/fake/upper.h"

namespace velmora::fake {

FakeRegistry::KeyId FakeRegistry::Id(Hive hive, const std::string& key) {
  return {hive, Upper(key)};
}

void FakeRegistry::Set(Hive hive, const std::string& key,
                       const std::string& name, std::uint32_t value) {
  keys_[Id(hive, key)][Upper(name)] = {value, true};
}

void FakeRegistry::SetOtherType(Hive hive, const std::string& key,
                                const std::string& name) {
  keys_[Id(hive, key)][Upper(name)] = {0, false};
}

void FakeRegistry::FailWrite(const std::string& key, const std::string& name,
                             std::uint32_t error) {
  failures_[{Upper(key), Upper(name)}] = error;
}

const FakeRegistry::Value* FakeRegistry::Find(Hive hive, const std::string& key,
                                              const std::string& name) const {
  auto values = keys_.find(Id(hive, key));
  if (values == keys_.end()) return nullptr;
  auto value = values->second.find(Upper(name));
  return value == values->second.end() ? nullptr : &value->second;
}

std::optional<std::uint32_t> FakeRegistry::Get(Hive hive,
                                               const std::string& key,
                                               const std::string& name) const {
  const Value* value = Find(hive, key, name);
  if (!value || !value->is_dword) return std::nullopt;
  return value->dword;
}

// A key exists where it was made, or where a key below it was.
bool FakeRegistry::HasKey(Hive hive, const std::string& key) const {
  const KeyId id = Id(hive, key);
  for (const auto& [other, values] : keys_) {
    if (other.first != hive) continue;
    if (other.second == id.second ||
        other.second.rfind(id.second + "\\", 0) == 0)
      return true;
  }
  return false;
}

Error FakeRegistry::Failure(const std::string& key,
                            const std::string& name) const {
  auto failure = failures_.find({Upper(key), Upper(name)});
  return failure == failures_.end() ? Error{} : MakeError(failure->second);
}

std::optional<std::uint32_t> FakeRegistry::ReadDword(Hive hive,
                                                     const std::string& key,
                                                     const std::string& name,
                                                     Error& error) {
  error = {};
  const Value* value = Find(hive, key, name);
  if (!value) return std::nullopt;
  if (!value->is_dword) {
    error = MakeError(kErrUnsupportedType);
    return std::nullopt;
  }
  return value->dword;
}

Error FakeRegistry::WriteDword(const std::string& key, const std::string& name,
                               std::uint32_t value) {
  if (Error error = Failure(key, name); error.failed()) return error;
  Set(Hive::CurrentUser, key, name, value);
  ++changes;
  return {};
}

Error FakeRegistry::DeleteValue(const std::string& key,
                                const std::string& name) {
  if (Error error = Failure(key, name); error.failed()) return error;
  auto values = keys_.find(Id(Hive::CurrentUser, key));
  if (values != keys_.end() && values->second.erase(Upper(name)) > 0) ++changes;
  return {};
}

Error FakeRegistry::DeleteKeyIfEmpty(const std::string& key) {
  if (Error error = Failure(key, ""); error.failed()) return error;
  const KeyId id = Id(Hive::CurrentUser, key);
  auto values = keys_.find(id);
  if (values == keys_.end() || !values->second.empty()) return {};
  for (const auto& [other, unused] : keys_) {
    if (other.first == id.first && other.second.rfind(id.second + "\\", 0) == 0)
      return {};
  }
  keys_.erase(values);
  ++changes;
  return {};
}

}  // namespace velmora::fake
