// A window's design as data: the window's own settings and one row per
// control, in the order the window stores them. Positions are in twips
// (1/1440 inch); a backend maps them to pixels at the window's DPI.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velmora {

enum class ControlKind {
  Button,
  CheckBox,
  Label,
  TextBox,    // multi-line, both scroll bars, read only
  ListBox,    // plain list of strings
  FileList,   // list box of file names
  DriveList,  // drop-down list of drives
  Timer,      // not shown
  Line,       // drawn by the window; left/top/width/height hold x1,y1,x2,y2
};

// A colour as &H00BBGGRR, the way the designs write it. kNoColour means "the
// default for this kind of control"; kWindowBackground means "the window's".
using Colour = std::uint32_t;
inline constexpr Colour kNoColour = 0xFFFFFFFF;
inline constexpr Colour kWindowBackground = 0xFFFFFFFE;
// The system's application-workspace colour (&H8000000C).
inline constexpr Colour kAppWorkspace = 0x8000000C;

struct Font {
  std::string_view name;  // empty: the window's font
  double points = 0;
  bool bold = false;
  // For a condensed face that is often missing: narrow faces to use in its
  // place, the first installed one. Where none is installed, the face the
  // system maps the name to is drawn narrower, so captions made to fit the
  // condensed face still do.
  std::span<const std::string_view> narrow_stand_ins = {};
};

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::string_view
      caption;  // caption or initial text; "&" marks an accelerator
  int left, top, width, height;
  int tab;  // tab order, -1 for none
  Font font = {};
  Colour background = kNoColour;
  Colour foreground = kNoColour;
  bool autosize = false;     // labels that size themselves to their text
  unsigned interval_ms = 0;  // timers
};

// A label and the control it names. The label's window comes right before
// the control's in the window's order, where a screen reader looks for the
// control's name.
struct LabelFor {
  std::string_view label;
  std::string_view control;
};

struct FormLayout {
  std::string_view name;
  std::string_view caption;
  Colour background;
  Font font;  // name empty: the platform's default font
  int inner_width, inner_height;
  int icon_id;  // resource id of the window's icon
  std::span<const ControlLayout> controls;
  std::span<const LabelFor> labels = {};
};

}  // namespace velmora
