// The viewer window driven through the main window's button, on the fake
// platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/frmremover.h"
#include "platform/fake/fake_platform.h"
#include "tests/unit/form_test.h"
#include "viewer/delimited_read.h"

namespace velmora {
namespace {

using namespace std::string_literals;

constexpr const char* kCleanBox = "Error: 0: ";

class ViewerTest : public FormTest {
 protected:
  void SetUp() override {
    system.AddDrive('C');
    system.AddDrive('E');
    system.SetCurrent('C');
    StartForm();
  }
  fake::FakeWindow* Viewer() { return windows.Get("frmview"); }
  std::string Text() { return Viewer()->Get("txtautorun").Text(); }
  std::string DriveLabel() { return Viewer()->Get("lbldrive").Text(); }
  // Selects the drive of `letter` (the user picks it where it is not
  // selected yet) and clicks the view button.
  void View(char letter) {
    const std::string entry{letter, ':'};
    const auto rows = W().Get("Drive1").Rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
      if (rows[i].starts_with(entry) && Drive1().Drive() != entry)
        W().PickRow("Drive1", i);
    ASSERT_EQ(Drive1().Drive(), entry);
    W().Click("cmdrescan");
  }
};

TEST_F(ViewerTest, CleanReadShowsItemsThenTheBoxWithZero) {
  system.AddFile("E:\\autorun.inf",
                 "[autorun]\r\nicon=\"my app.exe\",0\r\n\"open=a, b.exe\"\r\n",
                 fake::kHidden | fake::kSystem | fake::kReadOnly);
  std::string text_while_box_waits;
  system.while_box_waits = [&](const fake::ShownBox&) {
    text_while_box_waits = Text();
  };
  View('E');

  ASSERT_NE(Viewer(), nullptr);
  EXPECT_TRUE(Viewer()->Loaded());
  EXPECT_EQ(DriveLabel(), "E:");
  const std::string items = "[autorun]\nicon=\"my app.exe\"\n0\nopen=a, b.exe";
  EXPECT_EQ(Text(), items);
  EXPECT_EQ(text_while_box_waits, items);
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, kCleanBox);
  EXPECT_EQ(system.boxes[0].title, "ERROR");
  EXPECT_EQ(system.boxes[0].flags, kOkCancelExclamation);
  EXPECT_FALSE(system.ended);
}

TEST_F(ViewerTest, ViewerNeverChangesTheFile) {
  const unsigned attributes = fake::kHidden | fake::kSystem | fake::kReadOnly;
  system.AddFile("E:\\autorun.inf", "open=x.exe", attributes);
  View('E');
  ASSERT_TRUE(system.Has("E:\\autorun.inf"));
  EXPECT_EQ(system.Find("E:\\autorun.inf")->attributes, attributes);
  EXPECT_EQ(system.Find("E:\\autorun.inf")->contents, "open=x.exe");
  EXPECT_EQ(system.calls(fake::Op::SetAttr), 0);
  EXPECT_EQ(system.calls(fake::Op::Kill), 0);
  EXPECT_EQ(system.calls(fake::Op::ReadFile), 1);
}

TEST_F(ViewerTest, CancelInTheBoxAfterACleanReadEndsTheProgram) {
  system.AddFile("C:\\autorun.inf", "open=x.exe");
  system.Answer(kResultCancel);
  View('C');
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, kCleanBox);
  EXPECT_TRUE(system.ended);
}

TEST_F(ViewerTest, MissingFileShowsTheErrorAndKeepsTheViewerOpen) {
  system.AddFile("C:\\autorun.inf", "open=c.exe");
  View('C');
  View('E');

  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].text,
            "Error: 2: The system cannot find the file specified.");
  EXPECT_EQ(system.boxes[1].title, "ERROR");
  EXPECT_EQ(system.boxes[1].flags, kOkCancelExclamation);
  EXPECT_FALSE(system.ended);
  ASSERT_NE(Viewer(), nullptr);
  EXPECT_TRUE(Viewer()->Loaded());
  EXPECT_EQ(Text(), "open=c.exe");
  EXPECT_EQ(DriveLabel(), "E:");
}

TEST_F(ViewerTest, MissingFileOnAFreshViewerKeepsItsInitialText) {
  View('E');
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text,
            "Error: 2: The system cannot find the file specified.");
  EXPECT_EQ(Text(), "...");
  EXPECT_EQ(DriveLabel(), "E:");
}

TEST_F(ViewerTest, CancelInTheErrorBoxEndsTheProgram) {
  system.Answer(kResultCancel);
  View('E');
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_NE(system.boxes[0].text, kCleanBox);
  EXPECT_TRUE(system.ended);
}

TEST_F(ViewerTest, DriveThatIsNotReadyShowsItsError) {
  system.AddFile("C:\\autorun.inf", "open=c.exe");
  View('C');
  system.Drive('C').ready = false;
  View('C');
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].text, "Error: 21: The device is not ready.");
  EXPECT_EQ(Text(), "open=c.exe");
}

TEST_F(ViewerTest, FolderNamedAutorunShowsTheReadError) {
  system.AddFile("E:\\autorun.inf", "", fake::kDirectory);
  View('E');
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Error: 5: Access is denied.");
  EXPECT_TRUE(system.Has("E:\\autorun.inf"));
}

// A link to a server would make Windows sign in there: a link or a
// junction named autorun.inf is not opened, and the box says so.
TEST_F(ViewerTest, LinkOrJunctionNamedAutorunIsNotOpened) {
  for (const unsigned kind : {fake::kArchive, fake::kDirectory}) {
    system.AddFile("E:\\autorun.inf", "", kind | fake::kReparsePoint)
        .link_target = "\\\\server\\share\\x";
    View('E');
    EXPECT_EQ(system.boxes.back().text,
              "Error: 681: The file is a link or junction; it was not opened, "
              "so that nothing it leads to is read or asked for.");
    EXPECT_EQ(Text(), "...");
  }
  EXPECT_EQ(system.boxes.size(), 2u);
}

TEST_F(ViewerTest, EmptyFileKeepsTheEarlierText) {
  system.AddFile("E:\\autorun.inf", "");
  View('E');
  EXPECT_EQ(Text(), "...");
  system.AddFile("C:\\autorun.inf", "a,b");
  View('C');
  EXPECT_EQ(Text(), "a\nb");
  View('E');
  EXPECT_EQ(Text(), "a\nb");
  EXPECT_EQ(DriveLabel(), "E:");
  ASSERT_EQ(system.boxes.size(), 3u);
  for (const auto& box : system.boxes) EXPECT_EQ(box.text, kCleanBox);
}

TEST_F(ViewerTest, FileOfBlankLinesReplacesTheText) {
  system.AddFile("E:\\autorun.inf", "\r\n\r\n");
  View('E');
  EXPECT_EQ(Text(), "\n");  // two empty items
}

TEST_F(ViewerTest, Utf16FileIsDecoded) {
  system.AddFile("E:\\autorun.inf", "\xFF\xFEo\0=\0\xE9\0,\0x\0"s);
  View('E');
  EXPECT_EQ(Text(), "o=\xC3\xA9\nx");
}

TEST_F(ViewerTest, AnsiFileGoesThroughTheSystemCodePage) {
  system.AddFile("E:\\autorun.inf", "label=caf\xE9");
  View('E');
  EXPECT_EQ(Text(), "label=caf\xC3\xA9");
}

TEST_F(ViewerTest, NulInTheFileDoesNotCutTheText) {
  system.AddFile("E:\\autorun.inf", "open=a\0b.exe,1"s);
  View('E');
  EXPECT_EQ(Text(), "open=a" + std::string(kNulSymbol) + "b.exe\n1");
}

TEST_F(ViewerTest, FileOverTheLimitShowsWhatWasReadAndSaysSo) {
  std::string contents = "[autorun]\r\n";
  contents += std::string(kMaxAutorunBytes - contents.size() - 2, 'x');
  contents += "\r\nhidden=past the limit\r\n";
  system.AddFile("E:\\autorun.inf", contents);
  View('E');
  const std::string text = Text();
  const std::string last = "\n" + std::string(kRestNotShown);
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_EQ(text.find("hidden"), std::string::npos);
  EXPECT_EQ(text.substr(0, 12), "[autorun]\nxx");
  EXPECT_EQ(system.boxes.back().text, kCleanBox);
}

TEST_F(ViewerTest, FileExactlyAtTheLimitIsShownWhole) {
  system.AddFile("E:\\autorun.inf", std::string(kMaxAutorunBytes, 'y'));
  View('E');
  EXPECT_EQ(Text(), std::string(kMaxAutorunBytes, 'y'));
}

TEST_F(ViewerTest, ViewRefreshesTheDriveList) {
  system.AddDrive('F');
  EXPECT_EQ(Drive1().ListCount(), 2);
  View('C');
  EXPECT_EQ(Drive1().ListCount(), 3);
}

TEST_F(ViewerTest, SecondViewReusesTheOpenWindow) {
  View('C');
  fake::FakeWindow* first = Viewer();
  const int created = windows.created;
  View('E');
  EXPECT_EQ(Viewer(), first);
  EXPECT_EQ(windows.created, created);
  EXPECT_EQ(first->shows, 2);  // brought forward again
}

TEST_F(ViewerTest, OkAndCancelBothCloseTheViewer) {
  for (const char* button : {"OKButton", "CancelButton"}) {
    system.AddFile("C:\\autorun.inf", "open=c.exe");
    View('C');
    ASSERT_TRUE(Viewer()->Loaded());
    Viewer()->Click(button);
    EXPECT_FALSE(Viewer()->Loaded()) << button;
    EXPECT_FALSE(system.ended) << button;
    EXPECT_TRUE(system.Has("C:\\autorun.inf")) << button;
  }
}

TEST_F(ViewerTest, ViewAfterCloseCreatesAFreshWindow) {
  system.AddFile("C:\\autorun.inf", "open=c.exe");
  system.AddFile("E:\\autorun.inf", "");
  View('C');
  EXPECT_EQ(Text(), "open=c.exe");
  const int created = windows.created;
  Viewer()->Click("OKButton");
  View('E');
  EXPECT_EQ(windows.created, created + 1);
  ASSERT_NE(Viewer(), nullptr);
  EXPECT_TRUE(Viewer()->Loaded());
  EXPECT_EQ(Text(), "...");  // the fresh window's initial text
  EXPECT_EQ(DriveLabel(), "E:");
}

TEST_F(ViewerTest, CloseBoxClosesTheViewerAndNextViewIsFresh) {
  system.AddFile("C:\\autorun.inf", "open=c.exe");
  View('C');
  const int created = windows.created;
  Viewer()->Close();
  EXPECT_FALSE(Viewer()->Loaded());
  EXPECT_FALSE(system.ended);
  system.AddFile("C:\\autorun.inf", "");
  View('C');
  EXPECT_EQ(windows.created, created + 1);
  EXPECT_TRUE(Viewer()->Loaded());
  EXPECT_EQ(Text(), "...");
}

TEST_F(ViewerTest, FreshWindowStartsWithItsDesignTexts) {
  system.Fail(fake::Op::ReadFile, "C:\\autorun.inf", fake::kErrAccessDenied);
  View('C');
  EXPECT_EQ(Text(), "...");
  EXPECT_EQ(Viewer()->Get("OKButton").Text(), "OK");
  EXPECT_EQ(Viewer()->Get("CancelButton").Text(), "Cancel");
  EXPECT_EQ(Viewer()->Get("Label1").Text(), "Autorun.inf Contents in Drive:");
  EXPECT_EQ(Viewer()->Get("Label2").Text(), "By Kestrin");
}

TEST_F(ViewerTest, ClosingTheMainWindowClosesTheViewer) {
  View('C');
  fake::FakeWindow* viewer = Viewer();
  ASSERT_TRUE(viewer->Loaded());
  W().Close();
  EXPECT_FALSE(viewer->Loaded());
  EXPECT_TRUE(system.ended);
}

TEST(ViewerLayoutTest, WindowSettings) {
  EXPECT_EQ(kFrmviewLayout.name, "frmview");
  EXPECT_EQ(kFrmviewLayout.caption, "Autorun.inf Contents");
  EXPECT_EQ(kFrmviewLayout.background, 0x00808080u);
  EXPECT_TRUE(kFrmviewLayout.font.name.empty());
  EXPECT_EQ(kFrmviewLayout.inner_width, 6030);
  EXPECT_EQ(kFrmviewLayout.inner_height, 3165);
  EXPECT_EQ(kFrmviewLayout.icon_id, 2);
}

TEST(ViewerLayoutTest, ControlsInStoredOrderWithTheirPlaces) {
  struct Row {
    const char* name;
    ControlKind kind;
    const char* caption;
    int left, top, width, height, tab;
  };
  const Row rows[] = {
      {"txtautorun", ControlKind::TextBox, "...", 120, 480, 4335, 2535, 2},
      {"CancelButton", ControlKind::Button, "Cancel", 4680, 960, 1215, 375, 1},
      {"OKButton", ControlKind::Button, "OK", 4680, 480, 1215, 375, 0},
      {"lbldrive", ControlKind::Label, "C:\\", 3240, 120, 2745, 300, 5},
      {"Label2", ControlKind::Label, "By Kestrin", 4560, 1440, 1215, 255, 4},
      {"Label1", ControlKind::Label, "Autorun.inf Contents in Drive:", 120, 120,
       3135, 375, 3},
  };
  ASSERT_EQ(kFrmviewLayout.controls.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const ControlLayout& c = kFrmviewLayout.controls[i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(c.name, rows[i].name);
    EXPECT_EQ(c.kind, rows[i].kind);
    EXPECT_EQ(c.caption, rows[i].caption);
    EXPECT_EQ(c.left, rows[i].left);
    EXPECT_EQ(c.top, rows[i].top);
    EXPECT_EQ(c.width, rows[i].width);
    EXPECT_EQ(c.height, rows[i].height);
    EXPECT_EQ(c.tab, rows[i].tab);
  }
}

TEST(ViewerLayoutTest, FontsAndColours) {
  const auto& c = kFrmviewLayout.controls;
  EXPECT_EQ(c[0].background, 0x00E0E0E0u);  // txtautorun
  EXPECT_TRUE(c[0].font.name.empty());
  EXPECT_TRUE(c[1].font.name.empty());  // the buttons use the default font
  EXPECT_TRUE(c[2].font.name.empty());
  EXPECT_EQ(c[3].font.name, "MS Sans Serif");  // lbldrive
  EXPECT_EQ(c[3].font.points, 12);
  EXPECT_TRUE(c[3].font.bold);
  EXPECT_TRUE(c[4].font.name.empty());  // Label2
  EXPECT_EQ(c[4].foreground, 0x0000C000u);
  EXPECT_EQ(c[5].font.name, "MS Sans Serif");  // Label1
  EXPECT_EQ(c[5].font.points, 9.75);
  EXPECT_TRUE(c[5].font.bold);
  EXPECT_EQ(c[5].foreground, 0x00000080u);
  for (int label : {3, 4, 5}) EXPECT_EQ(c[label].background, kAppWorkspace);
}

}  // namespace
}  // namespace velmora
