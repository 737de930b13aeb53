// The main window on the fake platform, for tests that drive it as a user
// would: set the scene on `system`, start the form, then click and tick.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"

namespace velmora {

class FormTest : public ::testing::Test {
 protected:
  // Makes the main window and runs its Load, on the drives set so far.
  void StartForm() {
    form = std::make_unique<Frmremover>(system, windows, registry, files);
    form->Load();
  }
  fake::FakeWindow& W() { return *windows.Get("frmremover"); }
  std::vector<std::string> Log() { return W().Get("List1").Rows(); }
  const DriveList& Drive1() { return form->ForTest().Drive1; }
  const FileList& File1() { return form->ForTest().File1; }
  // The drive letters of a volume message: Letters("DG") names D: and G:.
  static DriveLetters Letters(std::string_view letters) {
    std::uint32_t mask = 0;
    for (char letter : letters) mask |= 1u << (letter - 'A');
    return DriveLetters(mask);
  }

  fake::FakeSystem system;
  fake::FakeWindowFactory windows;
  fake::FakeRegistry registry;
  fake::FakeFileTree files;
  std::unique_ptr<Frmremover> form;
};

}  // namespace velmora
