// The small commands, the automatic removal option and the file panel,
// through velmora.exe's window on real Wine drives.
#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

constexpr char kSearch[] = "&Search && &Remove Autorun";
constexpr char kAutoRemove[] = "Auto Remove w/o Notification";

using Commands = OnEmptyDrives;

TEST_F(Commands, AboutShowsTwoBoxesOneAfterTheOther) {
  App app;
  ASSERT_TRUE(app.started());
  HWND about = app.Control("Button", "About");
  ASSERT_TRUE(about);
  App::Click(about);

  std::optional<Box> first = app.WaitBox();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->text,
            "Kestrin - Velmora - A autorun remover made by Kestrin");
  EXPECT_EQ(first->title, "Kestrin - Velmora");
  EXPECT_EQ(first->buttons, std::vector<int>{IDOK});
  // The second box waits for the first to be answered: none is being made
  // once the program has nothing left to handle but the first box.
  ASSERT_TRUE(app.Settle());
  EXPECT_EQ(app.Boxes().size(), 1u);
  ASSERT_TRUE(App::Answer(*first, IDOK));

  std::optional<Box> second = app.WaitBox(kWaitMs, first->hwnd);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->text, "If the Error Says '0' then the file is existing");
  EXPECT_EQ(second->title, "Velmora");
  EXPECT_EQ(second->buttons, std::vector<int>{IDOK});
  ASSERT_TRUE(App::Answer(*second, IDOK));
  EXPECT_TRUE(app.NoBox());
  EXPECT_TRUE(app.Running());
}

TEST_F(Commands, ClearLogEmptiesTheLog) {
  App app;
  ASSERT_TRUE(app.started());
  HWND search = app.Control("Button", kSearch);
  HWND clear = app.Control("Button", "Clear Log");
  ASSERT_TRUE(search && clear);
  App::Click(search);
  size_t drives = ComboRows(app.DriveCombo()).size();
  ASSERT_GT(drives, 0u);
  ASSERT_EQ(app.WaitLog(drives).size(), drives);
  App::Click(clear);
  EXPECT_TRUE(WaitFor([&] { return app.LogLines().empty(); }));
  // The log takes new lines after it was cleared.
  App::Click(search);
  EXPECT_EQ(app.WaitLog(drives).size(), drives);
}

TEST_F(Commands, AutoRemoveDeletesNewFilesWithinATickAndStopsWhenUnchecked) {
  // The ticks are seen on the last drive of the walk.
  const TickMarker ticks(TestDrives().back());
  ticks.Arm();
  App app;
  ASSERT_TRUE(app.started());
  HWND check2 = app.Control("Button", kAutoRemove);
  ASSERT_TRUE(check2);
  App::Click(check2);
  ASSERT_TRUE(WaitFor([&] { return CheckState(check2) == BST_CHECKED; }));

  // With nothing to remove, ticks leave the log alone.
  ASSERT_TRUE(ticks.WaitTick()) << "no tick within " << 3 * kTickMs << " ms";
  ticks.Arm();
  ASSERT_TRUE(ticks.WaitTick()) << "no second tick";
  ASSERT_TRUE(app.Settle());
  EXPECT_TRUE(app.LogLines().empty());

  // A medium with a hidden autorun.inf appears: gone within about a tick.
  PutFile("D:\\autorun.inf", "[autorun]\r\n",
          FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  PutFile("D:\\keep.txt", "bystander");
  EXPECT_TRUE(WaitFor([] { return !Exists("D:\\autorun.inf"); }, 3000))
      << "D:\\autorun.inf is still there after 3 s";
  // Logged once, and the two ticks after the one that removed it find
  // nothing more.
  ASSERT_TRUE(app.Settle());
  for (int later = 1; later <= 2; ++later) {
    ticks.Arm();
    ASSERT_TRUE(ticks.WaitTick()) << "no later tick " << later;
  }
  ASSERT_TRUE(app.Settle());
  EXPECT_EQ(app.LogLines(),
            std::vector<std::string>{"Autorun Removed from: D:\\autorun.inf"});
  EXPECT_EQ(ReadAll("D:\\keep.txt"), "bystander");
  EXPECT_TRUE(app.NoBox()) << "the automatic removal asks nothing";

  // Unchecked, the timer stops: a new file stays, and so does the marker,
  // for longer than a running timer takes to tick.
  App::Click(check2);
  ASSERT_TRUE(WaitFor([&] { return CheckState(check2) == BST_UNCHECKED; }));
  ASSERT_TRUE(app.Settle());
  PutFile("E:\\autorun.inf", "[autorun]\r\n");
  ticks.Arm();
  EXPECT_FALSE(
      WaitFor([&] { return !Exists("E:\\autorun.inf") || !ticks.Armed(); },
              kTickMs + kTickMs / 2))
      << "a tick came after Check2 was unchecked";
  EXPECT_TRUE(Exists("E:\\autorun.inf"));
  EXPECT_EQ(app.LogLines().size(), 1u);
}

TEST_F(Commands, PickingADriveListsItsHiddenAutorunAndClickingItFillsTheLabel) {
  PutFile("D:\\autorun.inf", "[autorun]\r\n",
          FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  PutFile("D:\\other.txt", "bystander");
  App app("C:\\");
  ASSERT_TRUE(app.started());
  HWND files = app.FileList();
  HWND label = app.Control("Static", "...");
  ASSERT_TRUE(files && label);
  EXPECT_TRUE(ListRows(files).empty()) << "C: has no autorun.inf";
  RECT before = RectIn(label, app.main());

  ASSERT_TRUE(app.PickDrive('D'));
  EXPECT_TRUE(WaitFor([&] {
    return ListRows(files) == std::vector<std::string>{"autorun.inf"};
  })) << "File1 shows "
      << ListRows(files).size() << " rows";
  EXPECT_EQ(TextOf(label), "...") << "picking a drive leaves the label";

  ASSERT_TRUE(App::ClickRow(files, 0));
  EXPECT_TRUE(WaitFor([&] { return TextOf(label) == "autorun.inf"; }))
      << "label shows '" << TextOf(label) << "'";
  // The label sizes itself to the longer text.
  RECT after = RectIn(label, app.main());
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_EQ(ListSelected(files), 0) << "the clicked file stays selected";
  EXPECT_TRUE(app.NoBox());
  // Looking changes nothing.
  EXPECT_EQ(DosBits("D:\\autorun.inf"),
            DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
}

TEST_F(Commands, PickingADriveWithoutAutorunEmptiesTheFileListQuietly) {
  PutFile("D:\\autorun.inf", "[autorun]\r\n", FILE_ATTRIBUTE_HIDDEN);
  PutFile("F:\\readme.txt", "bystander");
  App app("D:\\");
  ASSERT_TRUE(app.started());
  HWND files = app.FileList();
  ASSERT_TRUE(files);
  ASSERT_EQ(ListRows(files), std::vector<std::string>{"autorun.inf"});
  ASSERT_TRUE(app.PickDrive('F'));
  EXPECT_TRUE(WaitFor([&] { return ListRows(files).empty(); }));
  EXPECT_TRUE(app.NoBox());
  EXPECT_TRUE(app.Running());
}

TEST_F(Commands, ReloadDrivesKeepsTheSelection) {
  App app("E:\\");
  ASSERT_TRUE(app.started());
  HWND combo = app.DriveCombo();
  HWND reload = app.Control("Button", "Reload Drives");
  ASSERT_TRUE(combo && reload);
  std::vector<std::string> rows = ComboRows(combo);
  int selected = ComboSelected(combo);
  ASSERT_GE(selected, 0);
  App::Click(reload);
  ASSERT_TRUE(app.Settle());
  EXPECT_EQ(ComboRows(combo), rows);
  EXPECT_EQ(ComboSelected(combo), selected);
  EXPECT_TRUE(app.NoBox());
}

}  // namespace
}  // namespace e2e
