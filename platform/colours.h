// The colours the windows are drawn in: the design's, or while High Contrast
// is on the system's, so that the scheme the user chose shows. Windows pairs
// them: text boxes and lists in COLOR_WINDOW with COLOR_WINDOWTEXT, the
// window's face and what stands on it (labels, check boxes, lines) in
// COLOR_BTNFACE with COLOR_BTNTEXT.
#pragma once

#include "platform/layout.h"

namespace velmora {

// The system's colours, as &H800000nn where nn is the COLOR_ index.
inline constexpr Colour kSystemWindow = 0x80000005;      // COLOR_WINDOW
inline constexpr Colour kSystemWindowText = 0x80000008;  // COLOR_WINDOWTEXT
inline constexpr Colour kSystemButtonFace = 0x8000000F;  // COLOR_BTNFACE
inline constexpr Colour kSystemButtonText = 0x80000012;  // COLOR_BTNTEXT

// A control's background and text colour, each a COLORREF (&H00BBGGRR) or
// a system colour; kNoColour leaves the control's standard one.
struct ControlColours {
  Colour background = kNoColour;
  Colour text = kNoColour;
  bool operator==(const ControlColours&) const = default;
};

Colour WindowBackground(const FormLayout& form, bool high_contrast);
ControlColours ColoursOf(const FormLayout& form, const ControlLayout& control,
                         bool high_contrast);

}  // namespace velmora
