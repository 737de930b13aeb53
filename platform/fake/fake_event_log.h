// An event log in memory: it records every event written, in order, and
// gives the account and volumes a test sets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/event_log.h"

namespace velmora::fake {

struct WrittenEvent {
  std::uint16_t id = 0;
  EventLevel level = EventLevel::Information;
  std::vector<std::string> strings;
};

class FakeEventLog : public EventLog {
 public:
  std::vector<WrittenEvent> events;
  std::string user = "PC\\pat";
  std::map<std::string, VolumeName> volumes;  // by drive entry, "E:"
  Error fail_with;  // each Write fails with it where set

  // The IDs written, in order.
  std::vector<std::uint16_t> Ids() const {
    std::vector<std::uint16_t> ids;
    for (const WrittenEvent& event : events) ids.push_back(event.id);
    return ids;
  }

  Error Write(std::uint16_t id, EventLevel level,
              const std::vector<std::string>& strings) override {
    if (fail_with.failed()) return fail_with;
    events.push_back({id, level, strings});
    return {};
  }
  std::string UserName() override { return user; }
  VolumeName Volume(const std::string& entry) override {
    const auto it = volumes.find(entry);
    return it == volumes.end() ? VolumeName{} : it->second;
  }
};

}  // namespace velmora::fake
