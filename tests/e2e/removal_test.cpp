// The main command through the window: "Search & Remove Autorun" over real
// drives, silent and confirming, compared line by line with the log it must
// write.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "../common/autorun_lines.h"
#include "harness.h"

namespace e2e {
namespace {

constexpr char kSearch[] = "&Search && &Remove Autorun";
constexpr char kNotify[] = "Notify When Removing ";
constexpr DWORD kHiddenSystemReadOnly =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

using autorun_lines::PathOn;
std::string NotFound(char drive) {
  return autorun_lines::NotFound(PathOn(drive));
}

// The drive letters velmora lists, in its order.
std::vector<char> ListedDrives(App& app) {
  std::vector<char> letters;
  for (const std::string& row : ComboRows(app.DriveCombo()))
    if (!row.empty()) letters.push_back(row[0]);
  return letters;
}

// What a silent search over `drives` logs when it removes the autorun.inf
// of each drive in `infected`.
std::vector<std::string> SilentSearchLog(const std::vector<char>& drives,
                                         std::string_view infected) {
  std::vector<std::string> lines;
  for (char drive : drives) {
    const bool removes = infected.find(drive) != std::string_view::npos;
    for (std::string& line :
         autorun_lines::SilentSearch(PathOn(drive), removes))
      lines.push_back(std::move(line));
  }
  return lines;
}

class Removal : public OnEmptyDrives {
 protected:
  void SetUp() override {
    OnEmptyDrives::SetUp();
    ASSERT_FALSE(Exists("C:\\autorun.inf"))
        << "C: (the prefix's drive_c) must hold no autorun.inf";
    // D: an infected medium with the worst attributes, and bystanders.
    PutFile("D:\\autorun.inf", "[autorun]\r\nopen=evil.exe\r\n",
            kHiddenSystemReadOnly);
    PutFile("D:\\readme.txt", "keep me");
    PutFile("D:\\secret.dat", "hidden bystander",
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    PutFile("D:\\sub\\autorun.inf", "not in the root");
    // E: a plain autorun.inf; F: nothing but a look-alike.
    PutFile("E:\\autorun.inf", "[autorun]\r\n");
    PutFile("E:\\autorun.inf.bak", "look-alike");
    PutFile("F:\\notes.txt", "bystander");
  }

  void ExpectBystandersUntouched() {
    EXPECT_EQ(ReadAll("D:\\readme.txt"), "keep me");
    EXPECT_EQ(DosBits("D:\\readme.txt"), DWORD{0});
    EXPECT_EQ(ReadAll("D:\\secret.dat"), "hidden bystander");
    EXPECT_EQ(DosBits("D:\\secret.dat"),
              DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(ReadAll("D:\\sub\\autorun.inf"), "not in the root");
    EXPECT_EQ(ReadAll("E:\\autorun.inf.bak"), "look-alike");
    EXPECT_EQ(ReadAll("F:\\notes.txt"), "bystander");
  }
};

TEST_F(Removal, SilentClickRemovesEveryAutorunAndLogsEachStep) {
  App app;
  ASSERT_TRUE(app.started());
  std::vector<char> drives = ListedDrives(app);
  ASSERT_EQ(std::count(drives.begin(), drives.end(), 'C'), 1);
  for (char drive : TestDrives())
    ASSERT_EQ(std::count(drives.begin(), drives.end(), drive), 1) << drive;

  std::vector<std::string> expected = SilentSearchLog(drives, "DE");

  HWND search = app.Control("Button", kSearch);
  ASSERT_TRUE(search);
  App::Click(search);
  EXPECT_EQ(app.WaitLog(expected.size()), expected);
  EXPECT_TRUE(app.NoBox()) << "the silent mode asks nothing";
  EXPECT_FALSE(Exists("D:\\autorun.inf"));
  EXPECT_FALSE(Exists("E:\\autorun.inf"));
  ExpectBystandersUntouched();

  // A second click finds nothing and appends one not-found line per drive.
  for (char drive : drives) expected.push_back(NotFound(drive));
  App::Click(search);
  EXPECT_EQ(app.WaitLog(expected.size()), expected);
  ExpectBystandersUntouched();
}

TEST_F(Removal, ConfirmingClickAsksPerFileAndHonoursTheAnswer) {
  App app;
  ASSERT_TRUE(app.started());
  std::vector<char> drives = ListedDrives(app);
  HWND notify = app.Control("Button", kNotify);
  HWND search = app.Control("Button", kSearch);
  ASSERT_TRUE(notify && search);
  App::Click(notify);
  ASSERT_TRUE(WaitFor([&] { return CheckState(notify) == BST_CHECKED; }));

  // The lines written before the first question: every drive before D:.
  std::vector<std::string> expected;
  auto d = std::find(drives.begin(), drives.end(), 'D');
  ASSERT_NE(d, drives.end());
  for (auto it = drives.begin(); it != d; ++it)
    expected.push_back(NotFound(*it));
  expected.push_back("Autorun Found in: D:\\autorun.inf");

  App::Click(search);
  std::optional<Box> ask_d = app.WaitBox();
  ASSERT_TRUE(ask_d);
  EXPECT_EQ(ask_d->title, "Autorun Found");
  EXPECT_EQ(ask_d->text, "Do You Want to Remove Autorun in D:\\autorun.inf");
  EXPECT_EQ(ask_d->buttons, (std::vector<int>{IDYES, IDNO}));
  // The found line is in the log while the question waits.
  EXPECT_EQ(app.LogLines(), expected);
  EXPECT_TRUE(Exists("D:\\autorun.inf")) << "deleted before the answer";
  ASSERT_TRUE(App::Answer(*ask_d, IDYES));

  expected.push_back("Removing from: D:\\autorun.inf");
  expected.push_back("Autorun Deleted : D:\\autorun.inf");
  expected.push_back("Autorun Removed from: D:\\autorun.inf");
  for (auto it = d + 1; it != drives.end() && *it != 'E'; ++it)
    expected.push_back(NotFound(*it));
  expected.push_back("Autorun Found in: E:\\autorun.inf");

  std::optional<Box> ask_e = app.WaitBox(kWaitMs, ask_d->hwnd);
  ASSERT_TRUE(ask_e);
  EXPECT_EQ(ask_e->title, "Autorun Found");
  EXPECT_EQ(ask_e->text, "Do You Want to Remove Autorun in E:\\autorun.inf");
  EXPECT_EQ(ask_e->buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(app.LogLines(), expected);
  EXPECT_FALSE(Exists("D:\\autorun.inf"));
  ASSERT_TRUE(App::Answer(*ask_e, IDNO));

  expected.push_back("Autorun Removal Canceled : E:\\autorun.inf");
  auto e = std::find(drives.begin(), drives.end(), 'E');
  ASSERT_NE(e, drives.end());
  for (auto it = e + 1; it != drives.end(); ++it)
    expected.push_back(NotFound(*it));
  EXPECT_EQ(app.WaitLog(expected.size()), expected);
  EXPECT_TRUE(app.NoBox());

  EXPECT_FALSE(Exists("D:\\autorun.inf"));
  // No leaves the file where it was, its attributes already cleared.
  EXPECT_EQ(ReadAll("E:\\autorun.inf"), "[autorun]\r\n");
  EXPECT_EQ(DosBits("E:\\autorun.inf"), DWORD{0});
  ExpectBystandersUntouched();
}

TEST_F(Removal, HiddenAnsweredNoIsLeftWithItsAttributesCleared) {
  PutFile("E:\\autorun.inf", "[autorun]\r\n", kHiddenSystemReadOnly);
  App app;
  ASSERT_TRUE(app.started());
  HWND notify = app.Control("Button", kNotify);
  HWND search = app.Control("Button", kSearch);
  ASSERT_TRUE(notify && search);
  App::Click(notify);
  ASSERT_TRUE(WaitFor([&] { return CheckState(notify) == BST_CHECKED; }));
  App::Click(search);
  for (char drive : {'D', 'E'}) {
    std::optional<Box> ask = app.WaitBox();
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->text, "Do You Want to Remove Autorun in " + PathOn(drive));
    ASSERT_TRUE(App::Answer(*ask, IDNO));
  }
  EXPECT_TRUE(app.NoBox());
  for (char drive : {'D', 'E'}) {
    EXPECT_TRUE(Exists(PathOn(drive))) << drive;
    EXPECT_EQ(DosBits(PathOn(drive)), DWORD{0}) << drive;
  }
}

TEST_F(Removal, FolderNamedAutorunIsNotDeleted) {
  ClearDrive('D');
  PutFile("D:\\autorun.inf\\inside.txt", "contents");
  SetFileAttributesW(L"D:\\autorun.inf",
                     FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  App app;
  ASSERT_TRUE(app.started());
  std::vector<char> drives = ListedDrives(app);
  const std::vector<std::string> expected = SilentSearchLog(drives, "E");
  HWND search = app.Control("Button", kSearch);
  ASSERT_TRUE(search);
  App::Click(search);
  EXPECT_EQ(app.WaitLog(expected.size()), expected);
  EXPECT_TRUE(Attributes("D:\\autorun.inf") & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(ReadAll("D:\\autorun.inf\\inside.txt"), "contents");
}

TEST_F(Removal, AcceleratorStartsTheSearch) {
  App app;
  ASSERT_TRUE(app.started());
  // Alt+S, the accelerator of "&Search && &Remove Autorun".
  PostMessageW(app.main(), WM_SYSKEYDOWN, 'S', 0x20000001);
  PostMessageW(app.main(), WM_SYSCHAR, 's', 0x20000001);
  PostMessageW(app.main(), WM_SYSKEYUP, 'S', 0xE0000001);
  bool searched = WaitFor([] { return !Exists("D:\\autorun.inf"); });
  EXPECT_TRUE(searched) << "Alt+S did not run the search";
  if (searched) {
    EXPECT_FALSE(app.WaitLog(1).empty());
  }
}

}  // namespace
}  // namespace e2e
