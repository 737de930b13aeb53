// The real Win32 system, cut down to chosen drives, under controls built on
// in-memory widgets: what the search and the timer read and write, for the
// Wine tests that run them on real files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/win32_platform.h"
#include "tests/wine/test_drives.h"

namespace velmora::win32 {

// The real system, cut down to `drives`, under controls built on in-memory
// widgets: what the search and the timer read and write.
class RealControls : public test_drives::OnTestDrives {
 protected:
  void Use(const std::vector<std::string>& drives) {
    system = std::make_unique<test_drives::DrivesOnly>(real, drives);
    Drive1 = std::make_unique<DriveList>(*system, drive_widget, nullptr);
  }
  std::vector<std::string> Log() const { return log_widget.Rows(); }

  Win32System real{"Velmora"};
  std::unique_ptr<test_drives::DrivesOnly> system;
  fake::FakeWidget drive_widget{ControlKind::DriveList, ""};
  fake::FakeWidget check_widget{ControlKind::CheckBox, ""};
  fake::FakeWidget log_widget{ControlKind::ListBox, ""};
  std::unique_ptr<DriveList> Drive1;
  CheckBox Check3{check_widget, [] {}};
  ListBox List1{log_widget};
};

}  // namespace velmora::win32
