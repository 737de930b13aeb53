// The main window on the fake platform, for tests that drive it as a user
// would: set the scene on `system`, start the form, then click and tick.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"

namespace velmora {

class FormTest : public ::testing::Test {
 protected:
  // Makes the main window and runs its Load, on the drives set so far.
  void StartForm() {
    form = std::make_unique<Frmremover>(system, windows, registry);
    form->Load();
  }
  fake::FakeWindow& W() { return *windows.Get("frmremover"); }
  std::vector<std::string> Log() { return W().Get("List1").Rows(); }

  fake::FakeSystem system;
  fake::FakeWindowFactory windows;
  fake::FakeRegistry registry;
  std::unique_ptr<Frmremover> form;
};

}  // namespace velmora
