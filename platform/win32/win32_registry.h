// The registry on Win32: HKCU for reading and writing, HKLM (its 64-bit
// view, where machine policies live) for reading only. Free of <windows.h>,
// like win32_platform.h.
#pragma once

#include "platform/registry.h"

namespace velmora::win32 {

class Win32Registry final : public Registry {
 public:
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
};

}  // namespace velmora::win32
