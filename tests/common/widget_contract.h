// One contract for the controls of both backends: the same checks run on
// the fake (unit tests) and on the Win32 controls (Wine tests), so that the
// fake cannot drift from the real thing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/widget_kinds.h"

namespace velmora::contract {

using K = ControlKind;

// One control of each kind.
// clang-format off
inline constexpr ControlLayout kContractControls[] = {
    {"btn", K::Button, "Go", 120, 120, 1200, 375, 0},
    {"chk", K::CheckBox, "Check", 120, 600, 1200, 375, 1},
    {"lbl", K::Label, "Label", 120, 1080, 1200, 255, -1},
    {"txt", K::TextBox, "...", 120, 1440, 2400, 900, 2},
    {"lst", K::ListBox, "", 2640, 120, 1800, 900, 3},
    {"fil", K::FileList, "", 2640, 1080, 1800, 900, 4},
    {"drv", K::DriveList, "", 2640, 2040, 1800, 315, 5},
    {"tmr", K::Timer, "", 0, 0, 0, 0, -1, {}, kNoColour, kNoColour, false, 50},
    {"ln", K::Line, "", 0, 2400, 4560, 2400, -1},
};
// clang-format on
inline constexpr FormLayout kContractLayout = {
    "contract", "Contract", 0x00C0FFC0, {}, 4680, 2600, 1, kContractControls,
};

// Calls every member group on `widget`; true for each group that did not
// throw std::logic_error.
struct PartsAnswered {
  bool text, rows, value, running, handler, enabled;
};
inline PartsAnswered TryEveryPart(Widget& widget) {
  auto answers = [](auto call) {
    try {
      call();
      return true;
    } catch (const std::logic_error&) {
      return false;
    }
  };
  return {
      answers([&] { widget.SetText(widget.Text()); }),
      answers([&] {
        widget.SetRows(widget.Rows());
        widget.Select(widget.Selected());
      }),
      answers([&] { widget.SetValue(widget.Value()); }),
      answers([&] { widget.SetRunning(false); }),
      answers([&] { widget.SetHandler([] {}); }),
      answers([&] { widget.SetEnabled(widget.Enabled()); }),
  };
}

// The checks, on a window made by `windows` from kContractLayout.
inline void CheckWidgetContract(WindowFactory& windows) {
  std::unique_ptr<Window> window = windows.Create(kContractLayout, {});
  // A window is loaded when it is made, before it is shown.
  EXPECT_TRUE(window->Loaded());
  EXPECT_THROW(window->Control("nothing"), std::out_of_range);

  // Every kind answers exactly the members it has, in both backends.
  for (const ControlLayout& row : kContractControls) {
    const PartsAnswered got = TryEveryPart(window->Control(row.name));
    EXPECT_EQ(got.text, HasPart(row.kind, WidgetPart::Text)) << row.name;
    EXPECT_EQ(got.rows, HasPart(row.kind, WidgetPart::Rows)) << row.name;
    EXPECT_EQ(got.value, HasPart(row.kind, WidgetPart::Value)) << row.name;
    EXPECT_EQ(got.running, HasPart(row.kind, WidgetPart::Running)) << row.name;
    EXPECT_EQ(got.handler, HasPart(row.kind, WidgetPart::Handler)) << row.name;
    EXPECT_EQ(got.enabled, HasPart(row.kind, WidgetPart::Enabled)) << row.name;
  }

  // Controls start enabled and keep what they are set to.
  for (const ControlLayout& row : kContractControls) {
    if (!HasPart(row.kind, WidgetPart::Enabled)) continue;
    Widget& widget = window->Control(row.name);
    EXPECT_TRUE(widget.Enabled()) << row.name;
    widget.SetEnabled(false);
    EXPECT_FALSE(widget.Enabled()) << row.name;
    widget.SetEnabled(true);
    EXPECT_TRUE(widget.Enabled()) << row.name;
  }

  // Texts: captions start as designed; a text box keeps its line breaks.
  EXPECT_EQ(window->Control("lbl").Text(), "Label");
  window->Control("btn").SetText("\xC3\x84nderung");  // "Änderung"
  EXPECT_EQ(window->Control("btn").Text(), "\xC3\x84nderung");
  window->Control("txt").SetText("one\ntwo\n\nthree");
  EXPECT_EQ(window->Control("txt").Text(), "one\ntwo\n\nthree");

  // Rows keep their order; a selection out of range is none; new rows drop
  // the selection.
  for (const char* name : {"lst", "fil", "drv"}) {
    Widget& list = window->Control(name);
    list.SetRows({"C:", "D: [DATA]"});
    list.AddRow("E:");
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"C:", "D: [DATA]", "E:"}))
        << name;
    list.Select(2);
    EXPECT_EQ(list.Selected(), 2) << name;
    list.Select(3);
    EXPECT_EQ(list.Selected(), -1) << name;
    list.Select(1);
    list.SetRows({"X:"});
    EXPECT_EQ(list.Selected(), -1) << name;
  }

  // A check box holds 0, 1 and 2 and ignores anything else.
  Widget& box = window->Control("chk");
  for (int value : {1, 2, 0}) {
    box.SetValue(value);
    EXPECT_EQ(box.Value(), value);
  }
  box.SetValue(1);
  box.SetValue(7);
  EXPECT_EQ(box.Value(), 1);

  // The window will not show while a control that raises events has no
  // handler; TryEveryPart above bound all but the ones unbound here.
  window->Control("fil").SetHandler(nullptr);
  try {
    window->Show();
    ADD_FAILURE() << "a window with an unbound file list showed";
  } catch (const std::logic_error& error) {
    EXPECT_NE(std::string(error.what()).find("'fil'"), std::string::npos)
        << error.what();
  }
  window->Control("fil").SetHandler([] {});
  window->Show();
  EXPECT_TRUE(window->Loaded());
  window->Unload();
  EXPECT_FALSE(window->Loaded());
}

}  // namespace velmora::contract
