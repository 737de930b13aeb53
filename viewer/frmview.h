// The viewer window: shows what the selected drive's autorun.inf holds.
// It only reads; it never changes or deletes anything.
#pragma once

#include <memory>

#include "platform/controls.h"
#include "platform/platform.h"

namespace velmora {

extern const FormLayout kFrmviewLayout;

class Frmview {
 public:
  Frmview(System& system, WindowFactory& windows)
      : system_(system), windows_(windows) {}

  // Click of cmdrescan on the main window: shows the viewer, reads the
  // selected drive's autorun.inf into it, then shows the error report box
  // (number 0 after a clean read).
  void cmdrescan_Click(DriveList& Drive1);
  // Closes the viewer if it is open.
  void Unload();

 private:
  // Creates the window where there is none or the last one was closed,
  // binding its handlers, and brings it forward.
  void Show();
  // The steps of a view up to the error report; the first failure ends them.
  Error View(DriveList& Drive1);
  void OKButton_Click();
  void CancelButton_Click();
  void Form_Unload();

  System& system_;
  WindowFactory& windows_;
  // A closed window stays here, unloaded, until the next view replaces it:
  // it is never destroyed from inside one of its own events.
  std::unique_ptr<Window> window_;
};

}  // namespace velmora
