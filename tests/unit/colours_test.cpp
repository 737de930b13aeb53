// The colours the windows are drawn in, with High Contrast off (the design's)
// and on (the system's pairs).
#include "platform/colours.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "app/frmremover.h"
#include "viewer/frmview.h"

namespace velmora {
namespace {

const ControlLayout& Row(const FormLayout& form, std::string_view name) {
  for (const ControlLayout& c : form.controls) {
    if (c.name == name) return c;
  }
  throw std::out_of_range(std::string(name));
}

struct Case {
  const FormLayout* form;
  const char* control;
  ControlColours off, on;
};

constexpr Colour kMainGreen = 0x00C0FFC0;
const ControlColours kFace = {kSystemButtonFace, kSystemButtonText};
const ControlColours kBox = {kSystemWindow, kSystemWindowText};

TEST(Colours, DesignsColoursWhileOffTheSystemsPairsWhileOn) {
  const Case cases[] = {
      {&kFrmremoverLayout, "Label2", {kMainGreen, kNoColour}, kFace},
      {&kFrmremoverLayout, "Check3", {kMainGreen, kNoColour}, kFace},
      {&kFrmremoverLayout, "Drive1", {0x00FFFFFF, kNoColour}, kBox},
      {&kFrmremoverLayout, "List1", {kSystemWindow, kNoColour}, kBox},
      {&kFrmremoverLayout, "File1", {kSystemWindow, kNoColour}, kBox},
      {&kFrmremoverLayout, "cmdremove", {}, {}},
      {&kFrmremoverLayout,
       "Line3",
       {kNoColour, kSystemWindowText},
       {kNoColour, kSystemButtonText}},
      {&kFrmviewLayout, "Label1", {kAppWorkspace, 0x00000080}, kFace},
      {&kFrmviewLayout, "txtautorun", {0x00E0E0E0, kNoColour}, kBox},
  };
  for (const Case& c : cases) {
    const ControlLayout& row = Row(*c.form, c.control);
    EXPECT_EQ(ColoursOf(*c.form, row, false), c.off) << c.control;
    EXPECT_EQ(ColoursOf(*c.form, row, true), c.on) << c.control;
  }
}

TEST(Colours, WindowsTakeTheButtonFaceWhileOn) {
  EXPECT_EQ(WindowBackground(kFrmremoverLayout, false), kMainGreen);
  EXPECT_EQ(WindowBackground(kFrmviewLayout, false), 0x00808080u);
  EXPECT_EQ(WindowBackground(kFrmremoverLayout, true), kSystemButtonFace);
  EXPECT_EQ(WindowBackground(kFrmviewLayout, true), kSystemButtonFace);
}

}  // namespace
}  // namespace velmora
