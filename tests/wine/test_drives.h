// The drives named in VELMORA_TEST_DRIVES (tools/wine-tests.sh sets D,E,F):
// a fixture for tests that make files on them, and the real Win32 system
// cut down to them, so that the removal tests never walk or touch any other
// drive of the machine. There a message box or End is a test failure: the
// removal shows neither.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/wine/test_files.h"

namespace velmora::win32::test_drives {

// "D:", "E:", ... from VELMORA_TEST_DRIVES; empty when it is not set.
inline std::vector<std::string> Entries() {
  std::vector<std::string> drives;
  const char* list = std::getenv("VELMORA_TEST_DRIVES");
  if (!list) return drives;
  for (const char* p = list; *p; ++p) {
    if (std::isalpha(static_cast<unsigned char>(*p)))
      drives.push_back(
          {static_cast<char>(std::toupper(static_cast<unsigned char>(*p))),
           ':'});
  }
  return drives;
}

// A test on the drives of VELMORA_TEST_DRIVES, the first three named d, e
// and f: they are empty when it starts and when it ends, and the current
// drive is C:. Skipped where fewer than three are named.
class OnTestDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    drives = Entries();
    if (drives.size() < 3) GTEST_SKIP() << "VELMORA_TEST_DRIVES names < 3";
    d = drives[0];
    e = drives[1];
    f = drives[2];
    for (const auto& drive : drives) EmptyDrive(drive);
    SetCurrentDirectoryW(L"C:\\");
  }
  void TearDown() override {
    for (const auto& drive : drives) EmptyDrive(drive);
  }

  std::vector<std::string> drives;
  std::string d, e, f;
};

class DrivesOnly final : public System {
 public:
  DrivesOnly(System& real, std::vector<std::string> drives)
      : real_(real), drives_(std::move(drives)) {}

  // The real list is read too, for what reading it starts (the probe's
  // round over every drive), and then cut down.
  std::vector<std::string> DriveEntries(DriveRead read) override {
    real_.DriveEntries(read);
    return drives_;
  }
  std::string DriveRowText(const std::string& entry) override {
    return real_.DriveRowText(entry);
  }
  std::string CurrentDrive() override { return real_.CurrentDrive(); }
  Error ChangeDrive(const std::string& entry) override {
    return real_.ChangeDrive(entry);
  }
  DriveStatus ProbeDrive(const std::string& entry) override {
    return real_.ProbeDrive(entry);
  }
  Error SetAttrZero(const std::string& path) override {
    return real_.SetAttrZero(path);
  }
  std::string Dir(const std::string& path, Error& error) override {
    return real_.Dir(path, error);
  }
  Error Kill(const std::string& path) override { return real_.Kill(path); }
  bool PathExists(const std::string& path) override {
    return real_.PathExists(path);
  }
  bool DeletePending(const std::string& path) override {
    return real_.DeletePending(path);
  }
  std::vector<std::string> ListFiles(const std::string& folder,
                                     const std::string& pattern,
                                     Error& error) override {
    return real_.ListFiles(folder, pattern, error);
  }
  FileBytes ReadFile(const std::string& path, std::size_t max_bytes,
                     Error& error) override {
    return real_.ReadFile(path, max_bytes, error);
  }
  std::string AnsiToUtf8(std::string_view ansi) override {
    return real_.AnsiToUtf8(ansi);
  }
  std::string ProgramPath() override { return real_.ProgramPath(); }
  DriveKind KindOfDrive(const std::string& path) override {
    return real_.KindOfDrive(path);
  }
  int MsgBox(const std::string& text, int, const std::string&) override {
    ADD_FAILURE() << "unexpected message box: " << text;
    return kResultNo;
  }
  void End() override { ADD_FAILURE() << "unexpected End"; }

 private:
  System& real_;
  std::vector<std::string> drives_;
};

}  // namespace velmora::win32::test_drives
