// The events the program writes to the Windows Event Log, for the
// administrator's collector, and when it writes them: only where the
// package registered the event source or the organization's policy turns
// events on, so that a copy run from the archive leaves no entry that the
// Event Viewer cannot show. Nothing is written for a drive found clean.
// The IDs and the order of each event's insertion strings are fixed
// (docs/events.md); a later version adds strings at the end only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/org_policy.h"
#include "platform/event_log.h"
#include "platform/registry.h"
#include "removal/removal_rules.h"
#include "repair/arrival_look.h"

namespace velmora {

enum EventId : std::uint16_t {
  kEventAutorunDeleted = 1000,
  kEventDeletionFailed = 1001,
  kEventWormFound = 1002,
  kEventRepairDone = 1003,
  kEventRepairStepFailed = 1004,
  kEventAutorunSwitched = 1005,
  kEventSigninSwitched = 1006,
  kEventGuardStarted = 1007,
  kEventAutorunLeft = 1008,
};

// The key the package makes for the event source, under HKLM.
inline constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Velmora";

// The most of an autorun.inf read for its event: a larger file's size and
// digest are not given (an autorun.inf is a few hundred bytes; a huge one
// must not hold up its deletion).
inline constexpr std::size_t kEventReadBytes = 65536;
// The characters of its content an event holds.
inline constexpr std::size_t kEventContentChars = 1024;

// Whether events are written: policy EventLog 1, or the source registered
// (its key holds TypesSupported) and policy EventLog not 0.
bool EventsWanted(Registry& registry, const OrgPolicy& policy);

// Text with every control character (C0, DEL, C1) written by its code
// point, "[U+000D]", cut after `max_chars` characters.
std::string ControlsByCodePoint(const std::string& utf8, std::size_t max_chars);

class EventRecord final : public RemovalObserver {
 public:
  // Nothing is written or read for an event where `log` is null or `on`
  // false.
  EventRecord(System& system, EventLog* log, bool on);

  bool On() const { return log_ && on_; }
  void SetOn(bool on) { on_ = on; }

  // RemovalObserver: 1000, 1001 and 1008, with what Found read.
  void Found(const std::string& path) override;
  void Deleted(const std::string& path, RemovalCause cause) override;
  void Failed(const std::string& path, const std::string& reason,
              RemovalCause cause) override;
  void Left(const std::string& path, RemovalCause cause) override;

  void WormFound(const ArrivalLook& look);
  void RepairDone(const std::string& drive, std::size_t shortcuts_deleted,
                  std::size_t entries_shown, std::size_t failures);
  void RepairStepFailed(const std::string& path, const std::string& reason);
  void AutorunSwitched(bool off);
  void SigninSwitched(bool on);
  // Written once, by the first guard start of the program.
  void GuardStarted(const OrgPolicy& policy);

 private:
  // What an event says of an autorun.inf, read before it changes.
  struct FileFacts {
    std::string path, size, sha256, content;
  };
  FileFacts Read(const std::string& path);
  void WriteFileEvent(EventId id, EventLevel level, const std::string& path,
                      RemovalCause cause,
                      const std::optional<std::string>& reason);
  void Write(EventId id, EventLevel level,
             const std::vector<std::string>& strings);

  System& system_;
  EventLog* log_;
  bool on_;
  std::optional<FileFacts> found_;  // by the last Found
  bool guard_written_ = false;
};

}  // namespace velmora
