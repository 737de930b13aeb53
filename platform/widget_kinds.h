// Which members each kind of control has, and which event it raises: the one
// place for these rules, followed by both backends so that the fake cannot
// drift from the real controls.
#pragma once

#include <string_view>

#include "platform/layout.h"

namespace velmora {

// The groups of Widget members.
enum class WidgetPart {
  Text,     // SetText, Text
  Rows,     // SetRows, AddRow, Rows, Selected, Select
  Value,    // Value, SetValue
  Running,  // SetRunning
  Handler,  // SetHandler
  Enabled,  // SetEnabled, Enabled
};

bool HasPart(ControlKind kind, WidgetPart part);

// Whether a control of this kind raises an event, and so needs a handler.
inline bool RaisesEvents(ControlKind kind) {
  return HasPart(kind, WidgetPart::Handler);
}

// Throws std::logic_error naming the control and the member where the
// control's kind lacks `part`.
void RequirePart(const ControlLayout& control, WidgetPart part,
                 std::string_view member);

// Throws std::logic_error naming the first control of `layout` that raises
// events but has no handler; `bound(i)` says whether row i has one.
template <typename Bound>
void RequireHandlers(const FormLayout& layout, Bound bound);

void ThrowUnboundControl(const FormLayout& layout,
                         const ControlLayout& control);

template <typename Bound>
void RequireHandlers(const FormLayout& layout, Bound bound) {
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    if (RaisesEvents(layout.controls[i].kind) && !bound(i))
      ThrowUnboundControl(layout, layout.controls[i]);
  }
}

}  // namespace velmora
