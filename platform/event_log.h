// The Windows Event Log: events written to the Application log under the
// source "Velmora", each an ID of the program's message table with its
// insertion strings, for an administrator's collector to gather. Also the
// two facts of the machine that events name and nothing else asks for: the
// account the program runs as, and a drive's volume serial and label.
// Implemented by win32/win32_event_log.cpp and, recording, by
// fake/fake_event_log.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

inline constexpr const char* kEventSource = "Velmora";

// The level an event shows with, as Windows has them.
enum class EventLevel { Information, Warning, Error };

// A drive's volume, as an event names it. Empty texts where the drive
// could not tell.
struct VolumeName {
  std::string serial;  // "1A2B-3C4D"
  std::string label;
  // The drive's type as the system gives it (GetDriveTypeW on Win32: a USB
  // hard disk is Fixed here).
  DriveKind kind = DriveKind::Unknown;
};

class EventLog {
 public:
  virtual ~EventLog() = default;
  // Writes event `id` at `level` with `strings` (UTF-8) as its insertion
  // strings %1, %2, ... in order, with the account's SID as its user.
  virtual Error Write(std::uint16_t id, EventLevel level,
                      const std::vector<std::string>& strings) = 0;
  // The account the program runs as: "DOMAIN\user".
  virtual std::string UserName() = 0;
  // The volume of the drive `entry` ("E:"), in one query of the drive;
  // asked only of a drive that has just answered.
  virtual VolumeName Volume(const std::string& entry) = 0;
};

}  // namespace velmora
