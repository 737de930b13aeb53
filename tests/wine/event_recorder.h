// Records what a window made by the Win32 backend reports: every control
// that raises events is bound to a handler that notes its name and event,
// and the window's own events are noted under the name "".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/widget_kinds.h"

namespace velmora::win32 {

enum class Event {
  Click,
  Change,
  Timer,
  Unload,
  DeviceArrival,
  DeviceRemoval,
  PolicyChange
};

struct Recorded {
  std::string control;
  Event event;
  DriveLetters letters{};  // of a device event
};

class Recorder {
 public:
  // The window's own events, for WindowFactory::Create.
  WindowEvents Events() {
    return {.onUnload = [this] { Note("", Event::Unload); },
            .onDeviceArrival =
                [this](DriveLetters d) { Note("", Event::DeviceArrival, d); },
            .onDeviceRemoval =
                [this](DriveLetters d) { Note("", Event::DeviceRemoval, d); },
            .onCloseRequest = {},
            .onEndSession = {},
            .onShowRequest = {},
            .onPolicyChange = [this] { Note("", Event::PolicyChange); }};
  }
  // Binds every control of `layout` that raises events.
  void Bind(Window& window, const FormLayout& layout) {
    for (const ControlLayout& row : layout.controls) {
      if (!RaisesEvents(row.kind)) continue;
      const Event event = row.kind == ControlKind::DriveList ? Event::Change
                          : row.kind == ControlKind::Timer   ? Event::Timer
                                                             : Event::Click;
      window.Control(row.name).SetHandler(
          [this, name = std::string(row.name), event] { Note(name, event); });
    }
  }
  int Count(std::string_view control, Event event) const {
    int n = 0;
    for (const auto& e : events) n += e.control == control && e.event == event;
    return n;
  }

  std::vector<Recorded> events;
  std::function<void(std::string_view, Event)> on_event;

 private:
  void Note(std::string_view control, Event event, DriveLetters letters = {}) {
    events.push_back({std::string(control), event, letters});
    if (on_event) on_event(control, event);
  }
};

}  // namespace velmora::win32
