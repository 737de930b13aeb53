#include "platform/fake/fake_registry.h"

#include <cctype>

#include "platform/fake/fake_platform.h"
#include "platform/fake/upper.h"

namespace velmora::fake {
namespace {

// The types as Windows numbers them; REG_EXPAND_SZ stands for every other.
constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3,
                        kRegDword = 4;

}  // namespace

FakeRegistry::KeyId FakeRegistry::Id(Hive hive, const std::string& key) {
  return {hive, Upper(key)};
}

void FakeRegistry::Set(Hive hive, const std::string& key,
                       const std::string& name, std::uint32_t value) {
  keys_[Id(hive, key)][Upper(name)] = {Type::Dword, value, {}};
}

void FakeRegistry::SetString(Hive hive, const std::string& key,
                             const std::string& name,
                             const std::string& value) {
  keys_[Id(hive, key)][Upper(name)] = {Type::String, 0, value};
}

void FakeRegistry::SetBinary(Hive hive, const std::string& key,
                             const std::string& name,
                             const std::string& bytes) {
  keys_[Id(hive, key)][Upper(name)] = {Type::Binary, 0, bytes};
}

void FakeRegistry::SetOtherType(Hive hive, const std::string& key,
                                const std::string& name,
                                const std::string& bytes) {
  keys_[Id(hive, key)][Upper(name)] = {Type::Other, 0, bytes};
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
  if (!value || value->type != Type::Dword) return std::nullopt;
  return value->dword;
}

std::optional<std::string> FakeRegistry::GetString(
    Hive hive, const std::string& key, const std::string& name) const {
  const Value* value = Find(hive, key, name);
  if (!value || value->type != Type::String) return std::nullopt;
  return value->bytes;
}

std::optional<std::string> FakeRegistry::GetBinary(
    Hive hive, const std::string& key, const std::string& name) const {
  const Value* value = Find(hive, key, name);
  if (!value || value->type != Type::Binary) return std::nullopt;
  return value->bytes;
}

const FakeRegistry::Value* FakeRegistry::Typed(Hive hive,
                                               const std::string& key,
                                               const std::string& name,
                                               Type type, Error& error) const {
  error = {};
  if (auto failed = failed_reads_.find(Id(hive, key));
      failed != failed_reads_.end()) {
    error = MakeError(failed->second);
    return nullptr;
  }
  const Value* value = Find(hive, key, name);
  if (value && value->type != type) {
    error = MakeError(kErrUnsupportedType);
    return nullptr;
  }
  return value;
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
  const Value* value = Typed(hive, key, name, Type::Dword, error);
  if (!value) return std::nullopt;
  return value->dword;
}

// The length of a string is counted as the registry stores it, in UTF-16
// units.
std::optional<std::string> FakeRegistry::ReadString(Hive hive,
                                                    const std::string& key,
                                                    const std::string& name,
                                                    std::size_t max_chars,
                                                    Error& error) {
  const Value* value = Typed(hive, key, name, Type::String, error);
  if (!value) return std::nullopt;
  if (Utf16Length(value->bytes) > max_chars) {
    error = MakeError(kErrMoreData);
    return std::nullopt;
  }
  return value->bytes;
}

Error FakeRegistry::WriteString(const std::string& key, const std::string& name,
                                const std::string& value) {
  if (Error error = Failure(key, name); error.failed()) return error;
  SetString(Hive::CurrentUser, key, name, value);
  ++changes;
  return {};
}

std::optional<std::string> FakeRegistry::ReadBinary(Hive hive,
                                                    const std::string& key,
                                                    const std::string& name,
                                                    std::size_t max_bytes,
                                                    Error& error) {
  const Value* value = Typed(hive, key, name, Type::Binary, error);
  if (!value) return std::nullopt;
  if (value->bytes.size() > max_bytes) {
    error = MakeError(kErrMoreData);
    return std::nullopt;
  }
  return value->bytes;
}

Error FakeRegistry::WriteDword(const std::string& key, const std::string& name,
                               std::uint32_t value) {
  if (Error error = Failure(key, name); error.failed()) return error;
  Set(Hive::CurrentUser, key, name, value);
  ++changes;
  return {};
}

std::optional<RawValue> FakeRegistry::GetRaw(Hive hive, const std::string& key,
                                             const std::string& name) const {
  const Value* value = Find(hive, key, name);
  if (!value) return std::nullopt;
  switch (value->type) {
    case Type::Dword: {
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value->dword >> (8 * i)) & 0xFF);
      return RawValue{kRegDword, bytes};
    }
    case Type::String:
      return RawValue{kRegSz, value->bytes};
    case Type::Binary:
      return RawValue{kRegBinary, value->bytes};
    case Type::Other:
      break;
  }
  return RawValue{kRegExpandSz, value->bytes};
}

std::optional<RawValue> FakeRegistry::ReadRaw(const std::string& key,
                                              const std::string& name,
                                              std::size_t max_bytes,
                                              Error& error) {
  error = {};
  if (auto failed = failed_reads_.find(Id(Hive::CurrentUser, key));
      failed != failed_reads_.end()) {
    error = MakeError(failed->second);
    return std::nullopt;
  }
  std::optional<RawValue> value = GetRaw(Hive::CurrentUser, key, name);
  if (value && value->bytes.size() > max_bytes) {
    error = MakeError(kErrMoreData);
    return std::nullopt;
  }
  return value;
}

Error FakeRegistry::WriteRaw(const std::string& key, const std::string& name,
                             const RawValue& value) {
  if (Error error = Failure(key, name); error.failed()) return error;
  Value stored{Type::Other, 0, value.bytes};
  if (value.type == kRegSz) stored.type = Type::String;
  if (value.type == kRegBinary) stored.type = Type::Binary;
  if (value.type == kRegDword && value.bytes.size() == 4) {
    stored = {Type::Dword, 0, {}};
    for (int i = 3; i >= 0; --i)
      stored.dword =
          (stored.dword << 8) | static_cast<unsigned char>(value.bytes[i]);
  }
  keys_[Id(Hive::CurrentUser, key)][Upper(name)] = stored;
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
