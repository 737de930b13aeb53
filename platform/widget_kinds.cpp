#include "platform/widget_kinds.h"

#include <stdexcept>
#include <string>

namespace velmora {

bool HasPart(ControlKind kind, WidgetPart part) {
  switch (part) {
    case WidgetPart::Text:
      return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
             kind == ControlKind::Label || kind == ControlKind::TextBox;
    case WidgetPart::Rows:
      return kind == ControlKind::ListBox || kind == ControlKind::FileList ||
             kind == ControlKind::DriveList;
    case WidgetPart::Value:
      return kind == ControlKind::CheckBox;
    case WidgetPart::Running:
      return kind == ControlKind::Timer;
    case WidgetPart::Enabled:
      // A timer and a drawn line are no windows the user can reach.
      return kind != ControlKind::Timer && kind != ControlKind::Line;
    case WidgetPart::Handler:
      // The log list raises nothing: it only shows lines.
      return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
             kind == ControlKind::FileList || kind == ControlKind::DriveList ||
             kind == ControlKind::Timer;
  }
  return false;
}

void RequirePart(const ControlLayout& control, WidgetPart part,
                 std::string_view member) {
  if (HasPart(control.kind, part)) return;
  throw std::logic_error(std::string(member) + " called on control '" +
                         std::string(control.name) +
                         "', whose kind has no such member");
}

void ThrowUnboundControl(const FormLayout& layout,
                         const ControlLayout& control) {
  throw std::logic_error("window '" + std::string(layout.name) +
                         "': control '" + std::string(control.name) +
                         "' raises events but has no handler");
}

}  // namespace velmora
