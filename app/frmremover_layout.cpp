// The main window's design: its settings and its controls in the order the
// window stores them.
#include "app/frmremover.h"

namespace velmora {
namespace {

// The design's face is a condensed one that many systems lack.
constexpr std::string_view kNinaStandIns[] = {
    "Arial Narrow", "Liberation Sans Narrow", "Nimbus Sans Narrow"};
constexpr Font kNina = {"Nina", 8.25, false, kNinaStandIns};
constexpr Font kTitleFont = {"Nina", 14.25, false, kNinaStandIns};
constexpr Font kBold = {"Nina", 8.25, true, kNinaStandIns};
constexpr Colour kWhite = 0x00FFFFFF;
using K = ControlKind;
constexpr Colour kForm = kWindowBackground;

// One row per control, as the design table reads.
// clang-format off
constexpr ControlLayout kControls[] = {
    {"Check3", K::CheckBox, "Notify When Removing ", 4080, 1920, 2295, 255, 17, {}, kForm},
    {"cmdclear", K::Button, "Clear Log", 4680, 3480, 1335, 255, 16},
    {"Timer2", K::Timer, "", 0, 0, 0, 0, -1, {}, kNoColour, kNoColour, false, 500},
    {"Check2", K::CheckBox, "Auto Remove w/o Notification", 1440, 1560, 2535, 375, 15, {}, kForm},
    {"Check1", K::CheckBox, "Auto Refresh Drives", 4080, 1560, 1935, 375, 14, {}, kForm},
    {"Timer1", K::Timer, "", 0, 0, 0, 0, -1, {}, kNoColour, kNoColour, false, 900},
    {"List1", K::ListBox, "", 3000, 2160, 3015, 1230, 13},
    {"cmdreload", K::Button, "Reload Drives", 4680, 1200, 1335, 375, 12},
    {"cmdabout", K::Button, "About", 4320, 600, 1695, 495, 8},
    {"File1", K::FileList, "", 120, 2160, 2775, 1260, 4},
    {"Drive1", K::DriveList, "", 720, 1200, 3855, 315, 3, {}, kWhite},
    {"cmdrescan", K::Button, "View Autorun.inf Contents On Selected Drive", 2160, 600, 2055, 495, 2},
    {"cmdremove", K::Button, "&Search && &Remove Autorun", 120, 600, 1935, 495, 1},
    {"lblfilename", K::Label, "...", 480, 1680, 180, 195, 11, {}, kForm, kNoColour, true},
    {"Label6", K::Label, "File:", 120, 1680, 375, 255, 10, kBold, kForm},
    {"Line3", K::Line, "", 0, 120, 6120, 120, -1},
    {"Line2", K::Line, "", 6120, 480, 0, 480, -1},
    {"Line1", K::Line, "", 1200, 120, 480, 120, -1},
    {"Label5", K::Label, "A autorun remover. Made in the Philippines.", 120, 3480, 3015, 255, 9, {}, kForm},
    {"Label4", K::Label, "Log", 3000, 1920, 1455, 255, 7, {}, kForm},
    {"Label3", K::Label, "Displaying All Drives with Autorun.inf", 120, 1920, 2895, 255, 6, {}, kForm},
    {"Label2", K::Label, "Drive:", 120, 1320, 495, 255, 5, {}, kForm},
    {"Label1", K::Label, "Kestrin - Velmora", 1680, 120, 2610, 345, 0, kTitleFont, kForm, kNoColour, true},
};
// clang-format on

// The labels that name the lists, for screen readers.
constexpr LabelFor kLabels[] = {
    {"Label2", "Drive1"}, {"Label3", "File1"}, {"Label4", "List1"}};

}  // namespace

const FormLayout kFrmremoverLayout = {
    "frmremover",
    "Kestrin - Velmora 2.0",
    0x00C0FFC0,
    kNina,
    6105,
    3840,
    1,
    kControls,
    kLabels,
};

}  // namespace velmora
