// Each operation opens its key, does its one thing and closes the key
// again; nothing is kept open between calls.
#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_platform.h"

namespace velmora::win32 {
namespace {

bool IsAbsent(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

Error ErrorFromStatus(LSTATUS status) {
  return status == ERROR_SUCCESS
             ? Error{}
             : ErrorFromCode(static_cast<std::uint32_t>(status));
}

// An opened key, closed when it goes.
class OpenKey {
 public:
  OpenKey(HKEY root, const std::string& key, REGSAM access) {
    status = RegOpenKeyExW(root, Widen(key).c_str(), 0, access, &handle);
  }
  ~OpenKey() {
    if (status == ERROR_SUCCESS) RegCloseKey(handle);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  HKEY handle = nullptr;
  LSTATUS status;
};

HKEY RootOf(Hive hive) {
  return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM ReadAccess(Hive hive) {
  return KEY_QUERY_VALUE | (hive == Hive::LocalMachine ? KEY_WOW64_64KEY : 0);
}

// The value `name` where it is of `type` (of any type for REG_NONE) and at
// most `max_bytes` long. The size is asked first, so that a value of any
// length costs no more than the bound to read; a value that grows in
// between reads as too long.
std::optional<RawValue> ReadValue(Hive hive, const std::string& key,
                                  const std::string& name, DWORD type,
                                  std::size_t max_bytes, Error& error) {
  error = {};
  OpenKey opened(RootOf(hive), key, ReadAccess(hive));
  LSTATUS status = opened.status;
  if (status == ERROR_SUCCESS) {
    const std::wstring wide_name = Widen(name);
    DWORD found = REG_NONE, size = 0;
    status = RegQueryValueExW(opened.handle, wide_name.c_str(), nullptr, &found,
                              nullptr, &size);
    const auto wrong_type = [&] { return type != REG_NONE && found != type; };
    if (status == ERROR_SUCCESS && wrong_type())
      status = ERROR_UNSUPPORTED_TYPE;
    if (status == ERROR_SUCCESS && size > max_bytes) status = ERROR_MORE_DATA;
    if (status == ERROR_SUCCESS) {
      std::string data(size, '\0');
      status =
          RegQueryValueExW(opened.handle, wide_name.c_str(), nullptr, &found,
                           reinterpret_cast<BYTE*>(data.data()), &size);
      if (status == ERROR_SUCCESS && wrong_type())
        status = ERROR_UNSUPPORTED_TYPE;
      if (status == ERROR_SUCCESS) {
        data.resize(size);
        return RawValue{found, std::move(data)};
      }
    }
  }
  if (!IsAbsent(status)) error = ErrorFromStatus(status);
  return std::nullopt;
}

std::optional<std::string> ReadTyped(Hive hive, const std::string& key,
                                     const std::string& name, DWORD type,
                                     std::size_t max_bytes, Error& error) {
  std::optional<RawValue> value =
      ReadValue(hive, key, name, type, max_bytes, error);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

Error WriteTyped(const std::string& key, const std::string& name, DWORD type,
                 const void* data, std::size_t size) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0,
                                   nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return ErrorFromStatus(status);
  status =
      RegSetValueExW(opened, Widen(name).c_str(), 0, type,
                     static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  RegCloseKey(opened);
  return ErrorFromStatus(status);
}

}  // namespace

std::optional<std::uint32_t> Win32Registry::ReadDword(Hive hive,
                                                      const std::string& key,
                                                      const std::string& name,
                                                      Error& error) {
  error = {};
  const bool machine = hive == Hive::LocalMachine;
  OpenKey opened(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key,
                 KEY_QUERY_VALUE | (machine ? KEY_WOW64_64KEY : 0));
  LSTATUS status = opened.status;
  if (status == ERROR_SUCCESS) {
    DWORD value = 0, size = sizeof value;
    status = RegGetValueW(opened.handle, nullptr, Widen(name).c_str(),
                          RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status == ERROR_SUCCESS) return value;
  }
  if (!IsAbsent(status)) error = ErrorFromStatus(status);
  return std::nullopt;
}

Error Win32Registry::WriteDword(const std::string& key, const std::string& name,
                                std::uint32_t value) {
  const DWORD data = value;
  return WriteTyped(key, name, REG_DWORD, &data, sizeof data);
}

// The stored string ends at its first null: a value written without its
// closing null, or with more after it, reads as far as Windows itself
// would use it.
std::optional<std::string> Win32Registry::ReadString(Hive hive,
                                                     const std::string& key,
                                                     const std::string& name,
                                                     std::size_t max_chars,
                                                     Error& error) {
  const std::optional<std::string> data = ReadTyped(
      hive, key, name, REG_SZ, (max_chars + 1) * sizeof(wchar_t), error);
  if (!data) return std::nullopt;
  std::wstring text(data->size() / sizeof(wchar_t), L'\0');
  std::copy(data->begin(), data->begin() + text.size() * sizeof(wchar_t),
            reinterpret_cast<char*>(text.data()));
  text.resize(std::min(text.size(), text.find(L'\0')));
  if (text.size() > max_chars) {
    error = ErrorFromCode(ERROR_MORE_DATA);
    return std::nullopt;
  }
  return Narrow(text);
}

Error Win32Registry::WriteString(const std::string& key,
                                 const std::string& name,
                                 const std::string& value) {
  const std::wstring text = Widen(value);
  return WriteTyped(key, name, REG_SZ, text.c_str(),
                    (text.size() + 1) * sizeof(wchar_t));
}

std::optional<std::string> Win32Registry::ReadBinary(Hive hive,
                                                     const std::string& key,
                                                     const std::string& name,
                                                     std::size_t max_bytes,
                                                     Error& error) {
  return ReadTyped(hive, key, name, REG_BINARY, max_bytes, error);
}

std::optional<RawValue> Win32Registry::ReadRaw(const std::string& key,
                                               const std::string& name,
                                               std::size_t max_bytes,
                                               Error& error) {
  return ReadValue(Hive::CurrentUser, key, name, REG_NONE, max_bytes, error);
}

Error Win32Registry::WriteRaw(const std::string& key, const std::string& name,
                              const RawValue& value) {
  return WriteTyped(key, name, value.type, value.bytes.data(),
                    value.bytes.size());
}

Error Win32Registry::DeleteValue(const std::string& key,
                                 const std::string& name) {
  OpenKey opened(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
  if (IsAbsent(opened.status)) return {};
  if (opened.status != ERROR_SUCCESS) return ErrorFromStatus(opened.status);
  const LSTATUS status = RegDeleteValueW(opened.handle, Widen(name).c_str());
  return IsAbsent(status) ? Error{} : ErrorFromStatus(status);
}

Error Win32Registry::DeleteKeyIfEmpty(const std::string& key) {
  DWORD keys = 0, values = 0;
  {
    OpenKey opened(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE);
    if (IsAbsent(opened.status)) return {};
    if (opened.status != ERROR_SUCCESS) return ErrorFromStatus(opened.status);
    const LSTATUS status = RegQueryInfoKeyW(
        opened.handle, nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
        &values, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return ErrorFromStatus(status);
  }
  if (keys != 0 || values != 0) return {};
  const LSTATUS status = RegDeleteKeyW(HKEY_CURRENT_USER, Widen(key).c_str());
  return IsAbsent(status) ? Error{} : ErrorFromStatus(status);
}

}  // namespace velmora::win32
