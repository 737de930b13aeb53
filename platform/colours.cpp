#include "platform/colours.h"

namespace velmora {
namespace {

Colour Designed(const FormLayout& form, Colour colour) {
  return colour == kWindowBackground ? form.background : colour;
}

}  // namespace

Colour WindowBackground(const FormLayout& form, bool high_contrast) {
  return high_contrast ? kSystemButtonFace : form.background;
}

ControlColours ColoursOf(const FormLayout& form, const ControlLayout& control,
                         bool high_contrast) {
  ControlColours designed = {Designed(form, control.background),
                             Designed(form, control.foreground)};
  switch (control.kind) {
    case ControlKind::TextBox:
    case ControlKind::ListBox:
    case ControlKind::FileList:
    case ControlKind::DriveList:
      if (high_contrast) return {kSystemWindow, kSystemWindowText};
      // A read-only text box would be grey; it keeps the window colour.
      if (designed.background == kNoColour) designed.background = kSystemWindow;
      return designed;
    case ControlKind::Label:
    case ControlKind::CheckBox:
      if (high_contrast) return {kSystemButtonFace, kSystemButtonText};
      return designed;
    case ControlKind::Line:
      if (high_contrast) return {kNoColour, kSystemButtonText};
      if (designed.text == kNoColour) designed.text = kSystemWindowText;
      return designed;
    default:
      // Buttons keep the system's own colours in High Contrast.
      return high_contrast ? ControlColours{} : designed;
  }
}

}  // namespace velmora
