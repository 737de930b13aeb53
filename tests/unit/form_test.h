// The main window on the fake platform, for tests that drive it as a user
// would: set the scene on `system`, start the form, then click and tick.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_file_tree.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_registry.h"
#include "tests/unit/repair_fixture.h"

namespace velmora {

class FormTest : public ::testing::Test {
 protected:
  // Makes the main window and runs its Load, on the drives set so far.
  void StartForm() {
    form = std::make_unique<Frmremover>(system, windows, registry, files,
                                        nullptr, &events);
    form->Load();
  }
  // A stick with a worm shortcut, the root's Photos.lnk starting
  // rundll32.exe with its hidden _\x.dll, as drive `letter`.
  void AddWormStick(char letter) {
    const std::string root = std::string{letter, ':', '\\'};
    system.AddDrive(letter);
    files.AddDrive(letter);
    files.AddFolder(root + "_", kHiddenSystemFolder);
    files.AddFile(root + "_\\x.dll", "MZ worm", kHiddenSystem);
    files.AddFile(
        root + "Photos.lnk",
        LinkTo("C:\\Windows\\System32\\rundll32.exe", "_\\x.dll,Run"));
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
  // Records the events; none are written unless a test turns them on.
  fake::FakeEventLog events;
  std::unique_ptr<Frmremover> form;
};

}  // namespace velmora
