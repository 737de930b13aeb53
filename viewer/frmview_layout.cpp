// The viewer window's design: its settings and its controls in the order the
// window stores them. It has no font of its own, so controls without one use
// the platform's default font.
#include "viewer/frmview.h"

namespace velmora {
namespace {

using K = ControlKind;
constexpr Font kDriveFont = {"MS Sans Serif", 12, true};
constexpr Font kTitleFont = {"MS Sans Serif", 9.75, true};
constexpr Colour kTextBackground = 0x00E0E0E0;
constexpr Colour kGreen = 0x0000C000;
constexpr Colour kDarkRed = 0x00000080;

// One row per control, as the design table has it.
// clang-format off
constexpr ControlLayout kControls[] = {
    {"txtautorun", K::TextBox, "...", 120, 480, 4335, 2535, 2, {}, kTextBackground},
    {"CancelButton", K::Button, "Cancel", 4680, 960, 1215, 375, 1},
    {"OKButton", K::Button, "OK", 4680, 480, 1215, 375, 0},
    {"lbldrive", K::Label, "C:\\", 3240, 120, 2745, 300, 5, kDriveFont, kAppWorkspace},
    {"Label2", K::Label, "By Kestrin", 4560, 1440, 1215, 255, 4, {}, kAppWorkspace, kGreen},
    {"Label1", K::Label, "Autorun.inf Contents in Drive:", 120, 120, 3135, 375, 3, kTitleFont, kAppWorkspace, kDarkRed},
};
// clang-format on

// The label that names the text box, for screen readers.
constexpr LabelFor kLabels[] = {{"Label1", "txtautorun"}};

}  // namespace

const FormLayout kFrmviewLayout = {
    "frmview", "Autorun.inf Contents", 0x00808080, {}, 6030, 3165, 2, kControls,
    kLabels,
};

}  // namespace velmora
