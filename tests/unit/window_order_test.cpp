// The order of the windows' controls, and which of them keep out of the way
// of the label above them.
#include "platform/window_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "app/frmremover.h"
#include "viewer/frmview.h"

namespace velmora {
namespace {

// Apart from the labels that name a list or text box (each right before it,
// shown on the real windows under Wine), the windows keep the Tab column's
// order, labels that take no focus included.
TEST(WindowOrder, TheRestKeepTheTabColumnsOrder) {
  for (const FormLayout* form : {&kFrmremoverLayout, &kFrmviewLayout}) {
    std::vector<int> tabs;
    for (std::size_t i : WindowOrder(*form)) {
      const ControlLayout& c = form->controls[i];
      if (std::none_of(
              form->labels.begin(), form->labels.end(),
              [&](const LabelFor& pair) { return pair.label == c.name; }))
        tabs.push_back(c.tab);
    }
    EXPECT_EQ(tabs.size(), form->controls.size() - form->labels.size());
    EXPECT_TRUE(std::is_sorted(tabs.begin(), tabs.end())) << form->name;
  }
}

// Label3 and the viewer's Label1 come after File1 and the text box in the Tab
// column, Label2 after Drive1; Label4 comes before List1 already.
TEST(WindowOrder, ControlsUnderARaisedLabel) {
  const std::pair<const FormLayout*, std::string_view> under[] = {
      {&kFrmremoverLayout, "Drive1"},
      {&kFrmremoverLayout, "File1"},
      {&kFrmviewLayout, "txtautorun"}};
  for (const FormLayout* form : {&kFrmremoverLayout, &kFrmviewLayout}) {
    for (std::size_t i = 0; i < form->controls.size(); ++i) {
      const std::string_view name = form->controls[i].name;
      const bool expected =
          std::find(std::begin(under), std::end(under),
                    std::make_pair(form, name)) != std::end(under);
      EXPECT_EQ(UnderRaisedLabel(*form, i), expected) << name;
    }
  }
}

}  // namespace
}  // namespace velmora
