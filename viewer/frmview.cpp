// Placeholder until the viewer is written.
#include "viewer/frmview.h"

namespace velmora {
namespace {
constexpr ControlLayout kControls[] = {
    {"OKButton", ControlKind::Button, "OK", 4680, 480, 1215, 375, 0},
};
}  // namespace
const FormLayout kFrmviewLayout = {"frmview", "Autorun.inf Contents", 0x00808080, {}, 6030, 3165, 2, kControls};
void Frmview::cmdrescan_Click(DriveList&) {}
void Frmview::Unload() { (void)system_; (void)windows_; }
void Frmview::OnEvent(std::string_view, Event) {}
}  // namespace velmora
