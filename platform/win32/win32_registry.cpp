// Each operation opens its key, does its one thing and closes the key
// again; nothing is kept open between calls.
#include "platform/win32/win32_registry.h"

#include <windows.h>

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
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0,
                                   nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return ErrorFromStatus(status);
  const DWORD data = value;
  status = RegSetValueExW(opened, Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(opened);
  return ErrorFromStatus(status);
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
