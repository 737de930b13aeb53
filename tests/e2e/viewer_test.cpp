// The autorun contents viewer through velmora.exe's windows: what it shows,
// the error report box that follows every view, and how it closes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "harness.h"

namespace e2e {
namespace {

constexpr char kView[] = "View Autorun.inf Contents On Selected Drive";
constexpr char kViewer[] = "Autorun.inf Contents";
// Commas split items; an item that starts with a double quote may hold
// commas and loses its quotes, while quotes inside an item are its own text.
constexpr char kContents[] =
    "[autorun]\r\nopen=a,b\r\nlabel=\"x,y\"\r\n\"icon=c,d\"\r\n";
const std::vector<std::string> kItems = {"[autorun]", "open=a", "b",
                                         "label=\"x", "y\"",    "icon=c,d"};

class Viewer : public OnEmptyDrives {
 protected:
  void SetUp() override {
    OnEmptyDrives::SetUp();
    PutFile("D:\\autorun.inf", kContents, FILE_ATTRIBUTE_HIDDEN);
    PutFile("F:\\readme.txt", "no autorun here");
  }

  // Picks `drive` and waits until the file list has followed.
  static bool Pick(App& app, char drive, size_t files) {
    const bool followed = app.PickDrive(drive) && WaitFor([&] {
                            return ListRows(app.FileList()).size() == files;
                          });
    EXPECT_TRUE(followed) << "File1 did not follow drive " << drive;
    return followed;
  }
  // Clicks View and gives the viewer window and the box that follows.
  static std::pair<HWND, std::optional<Box>> View(App& app) {
    HWND view = app.Control("Button", kView);
    if (!view) return {nullptr, std::nullopt};
    App::Click(view);
    HWND viewer = app.WaitTopWindow(kViewer);
    return {viewer, app.WaitBox()};
  }
  // Picks `drive` (which has `files` autorun.inf), then views it.
  static std::pair<HWND, std::optional<Box>> ViewOn(App& app, char drive,
                                                    size_t files) {
    if (!Pick(app, drive, files)) return {nullptr, std::nullopt};
    return View(app);
  }
  static HWND TextBox(HWND viewer) {
    std::vector<HWND> edits = ChildrenOf(viewer, "Edit");
    EXPECT_EQ(edits.size(), 1u) << Describe(viewer);
    return edits.empty() ? nullptr : edits[0];
  }
  static int ViewerCount(App& app) {
    int count = 0;
    for (HWND top : app.TopWindows()) count += TextOf(top) == kViewer;
    return count;
  }
};

TEST_F(Viewer, ShowsTheItemsThenTheZeroErrorBox) {
  App app;
  ASSERT_TRUE(app.started());
  auto [viewer, box] = ViewOn(app, 'D', 1);
  ASSERT_TRUE(viewer && box);
  EXPECT_EQ(box->text, "Error: 0: ");
  EXPECT_EQ(box->title, "ERROR");
  EXPECT_EQ(box->buttons, (std::vector<int>{IDOK, IDCANCEL}));
  // The contents are in place while the box waits.
  HWND text = TextBox(viewer);
  ASSERT_TRUE(text);
  EXPECT_EQ(SplitLines(TextOf(text)), kItems) << "'" << TextOf(text) << "'";
  EXPECT_TRUE(FindChild(viewer, "Static", "D:")) << Describe(viewer);
  ASSERT_TRUE(App::Answer(*box, IDOK));

  EXPECT_TRUE(app.NoBox());
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(IsWindowVisible(viewer));
  // The viewer only reads.
  EXPECT_EQ(ReadAll("D:\\autorun.inf"), kContents);
  EXPECT_EQ(DosBits("D:\\autorun.inf"), DWORD{FILE_ATTRIBUTE_HIDDEN});
}

TEST_F(Viewer, DriveWithoutAutorunGivesTheSystemErrorAndKeepsTheViewer) {
  App app;
  ASSERT_TRUE(app.started());
  auto [viewer, box] = ViewOn(app, 'D', 1);
  ASSERT_TRUE(viewer && box);
  ASSERT_TRUE(App::Answer(*box, IDOK));

  auto [again, error] = ViewOn(app, 'F', 0);
  ASSERT_TRUE(again && error);
  EXPECT_EQ(again, viewer) << "an open viewer is reused";
  EXPECT_EQ(ViewerCount(app), 1);
  EXPECT_EQ(error->title, "ERROR");
  EXPECT_EQ(error->buttons, (std::vector<int>{IDOK, IDCANCEL}));
  std::smatch parts;
  ASSERT_TRUE(
      std::regex_match(error->text, parts, std::regex("Error: ([0-9]+): (.+)")))
      << "'" << error->text << "'";
  EXPECT_NE(std::atol(parts[1].str().c_str()), 0);
  // The earlier text stays; the label names the new drive.
  HWND text = TextBox(viewer);
  ASSERT_TRUE(text);
  EXPECT_EQ(SplitLines(TextOf(text)), kItems);
  EXPECT_TRUE(FindChild(viewer, "Static", "F:")) << Describe(viewer);
  ASSERT_TRUE(App::Answer(*error, IDOK));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(IsWindowVisible(viewer));
}

TEST_F(Viewer, OkAndCancelCloseItAndTheNextViewStartsAfresh) {
  App app;
  ASSERT_TRUE(app.started());
  ASSERT_TRUE(Pick(app, 'D', 1));
  for (const char* button : {"OK", "Cancel"}) {
    auto [viewer, box] = View(app);
    ASSERT_TRUE(viewer && box);
    ASSERT_TRUE(App::Answer(*box, IDOK));
    HWND close = FindChild(viewer, "Button", button);
    ASSERT_TRUE(close) << Describe(viewer);
    App::Click(close);
    EXPECT_TRUE(WaitFor([&] { return ViewerCount(app) == 0; }))
        << button << " left the viewer open";
    EXPECT_TRUE(app.Running()) << button;
    EXPECT_TRUE(app.NoBox()) << button;
  }
  // Created afresh: its first text and a failed read on F: leave "...".
  auto [viewer, box] = ViewOn(app, 'F', 0);
  ASSERT_TRUE(viewer && box);
  HWND text = TextBox(viewer);
  ASSERT_TRUE(text);
  EXPECT_EQ(TextOf(text), "...");
  EXPECT_TRUE(FindChild(viewer, "Static", "F:")) << Describe(viewer);
  ASSERT_TRUE(App::Answer(*box, IDOK));
}

TEST_F(Viewer, CancelInTheErrorBoxEndsTheProgram) {
  App app;
  ASSERT_TRUE(app.started());
  auto [viewer, box] = ViewOn(app, 'D', 1);
  ASSERT_TRUE(viewer && box);
  App::Click(GetDlgItem(box->hwnd, IDCANCEL));
  EXPECT_TRUE(app.WaitExit()) << app.DescribeWindows();
}

// The text box takes Tab as its own key and asks the viewer for the next
// control, which gets the focus: Tab does not get stuck in it.
TEST_F(Viewer, TabLeavesTheTextBox) {
  App app;
  ASSERT_TRUE(app.started());
  Pick(app, 'D', 1);
  auto [viewer, box] = View(app);
  ASSERT_TRUE(viewer && box);
  ASSERT_TRUE(App::Answer(*box, IDOK));
  HWND text = TextBox(viewer);
  ASSERT_TRUE(text);
  App::ClickInside(text);
  ASSERT_TRUE(WaitFor([&] { return FocusIn(viewer) == text; }))
      << "focus is on " << ClassOf(FocusIn(viewer)) << " '"
      << TextOf(FocusIn(viewer)) << "'";
  App::PressTab(text);
  EXPECT_TRUE(WaitFor([&] { return FocusIn(viewer) != text; }))
      << "Tab stayed in the text box";
  // The text box is last in the viewer's tab order: Tab goes round to OK.
  EXPECT_EQ(FocusIn(viewer), FindChild(viewer, "Button", "OK"));
}

struct Place {
  const char* cls;
  const char* caption;  // nullptr: the one control of its class
  int left, top, width, height;
};

TEST_F(Viewer, HasTheDesignedLayout) {
  App app;
  ASSERT_TRUE(app.started());
  auto [viewer, box] = ViewOn(app, 'D', 1);
  ASSERT_TRUE(viewer && box);
  UINT dpi = DpiOf(viewer);
  auto px = [&](int twips) { return TwipsToPixels(twips, dpi); };
  RECT client;
  GetClientRect(viewer, &client);
  EXPECT_NEAR(client.right, px(6030), 2);
  EXPECT_NEAR(client.bottom, px(3165), 2);
  const Place places[] = {
      {"Edit", nullptr, 120, 480, 4335, 2535},
      {"Button", "Cancel", 4680, 960, 1215, 375},
      {"Button", "OK", 4680, 480, 1215, 375},
      {"Static", "D:", 3240, 120, 2745, 300},
      {"Static", "By Kestrin", 4560, 1440, 1215, 255},
      {"Static", "Autorun.inf Contents in Drive:", 120, 120, 3135, 375},
  };
  for (const Place& place : places) {
    HWND control = place.caption ? FindChild(viewer, place.cls, place.caption)
                                 : TextBox(viewer);
    ASSERT_TRUE(control) << place.cls << " '"
                         << (place.caption ? place.caption : "")
                         << "' missing:\n"
                         << Describe(viewer);
    RECT r = RectIn(control, viewer);
    std::string what = std::string(place.cls) + " " +
                       (place.caption ? place.caption : "txtautorun");
    EXPECT_NEAR(r.left, px(place.left), 2) << what;
    EXPECT_NEAR(r.top, px(place.top), 2) << what;
    EXPECT_NEAR(r.right - r.left, px(place.width), 2) << what;
    EXPECT_NEAR(r.bottom - r.top, px(place.height), 2) << what;
  }
  LONG edit = GetWindowLongW(TextBox(viewer), GWL_STYLE);
  EXPECT_TRUE(edit & ES_MULTILINE);
  EXPECT_TRUE(edit & WS_VSCROLL);
  EXPECT_TRUE(edit & WS_HSCROLL);
  for (const char* caption : {"OK", "Cancel"}) {
    HWND button = FindChild(viewer, "Button", caption);
    ASSERT_TRUE(button);
    EXPECT_NE(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        << caption << " must not be the default button";
  }
  ASSERT_TRUE(App::Answer(*box, IDOK));
}

}  // namespace
}  // namespace e2e
