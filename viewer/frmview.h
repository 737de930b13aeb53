// The viewer window: shows what the selected drive's autorun.inf holds.
// It only reads; it never changes or deletes anything.
#pragma once

#include <memory>

#include "platform/controls.h"
#include "platform/platform.h"

namespace velmora {

extern const FormLayout kFrmviewLayout;

class Frmview : public EventSink {
 public:
  Frmview(System& system, WindowFactory& windows)
      : system_(system), windows_(windows) {}

  // Click of cmdrescan on the main window.
  void cmdrescan_Click(DriveList& Drive1);
  // Closes the viewer if it is open.
  void Unload();
  void OnEvent(std::string_view control, Event event) override;

 private:
  System& system_;
  WindowFactory& windows_;
  std::unique_ptr<Window> window_;
};

}  // namespace velmora
