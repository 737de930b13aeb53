// The event log on Win32: ReportEventW under the source "Velmora" of the
// Application log, with the account's SID as each event's user.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/event_log.h"

namespace velmora::win32 {

class Win32EventLog final : public EventLog {
 public:
  Win32EventLog() = default;
  // Lets go of the source's handle.
  ~Win32EventLog() override;
  Win32EventLog(const Win32EventLog&) = delete;
  Win32EventLog& operator=(const Win32EventLog&) = delete;

  // The source is opened by the first event and kept.
  Error Write(std::uint16_t id, EventLevel level,
              const std::vector<std::string>& strings) override;
  // Looked up once: the account does not change while the program runs.
  std::string UserName() override;
  VolumeName Volume(const std::string& entry) override;

 private:
  // The account's SID (TOKEN_USER's), read once; empty where it could not
  // be read.
  const std::vector<unsigned char>& UserSid();

  void* source_ = nullptr;  // HANDLE of RegisterEventSourceW
  std::vector<unsigned char> sid_;
  bool sid_read_ = false;
  std::optional<std::string> user_name_;
};

}  // namespace velmora::win32
