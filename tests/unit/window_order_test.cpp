// The order of the windows' controls: each label right before the list or
// text box it names, the tab stops in the Tab column's order.
#include "platform/window_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "app/frmremover.h"
#include "viewer/frmview.h"

namespace velmora {
namespace {

// The pairs are named here, so that one left out of a layout fails too.
TEST(WindowOrder, EachLabelRightBeforeItsControlTheRestInTabOrder) {
  const std::vector<std::pair<std::string_view, std::string_view>> pairs[] = {
      {{"Label2", "Drive1"}, {"Label3", "File1"}, {"Label4", "List1"}},
      {{"Label1", "txtautorun"}}};
  const FormLayout* forms[] = {&kFrmremoverLayout, &kFrmviewLayout};
  for (int f = 0; f < 2; ++f) {
    const FormLayout& form = *forms[f];
    std::vector<std::string_view> names;
    for (std::size_t i : WindowOrder(form))
      names.push_back(form.controls[i].name);
    const auto at = [&](std::string_view name) {
      return std::find(names.begin(), names.end(), name) - names.begin();
    };
    for (const auto& [label, control] : pairs[f])
      EXPECT_EQ(at(label) + 1, at(control)) << control;
    std::vector<int> tabs;
    for (std::size_t i : WindowOrder(form)) {
      const ControlLayout& c = form.controls[i];
      if (std::none_of(pairs[f].begin(), pairs[f].end(),
                       [&](const auto& pair) { return pair.first == c.name; }))
        tabs.push_back(c.tab);
    }
    EXPECT_TRUE(std::is_sorted(tabs.begin(), tabs.end())) << form.name;
  }
}

TEST(WindowOrder, RefusesANameThatIsNoLabelOrNoControl) {
  const ControlLayout controls[] = {
      {"btn", ControlKind::Button, "Go", 0, 0, 10, 10, 0},
      {"lbl", ControlKind::Label, "Name:", 0, 0, 10, 10, 1},
      {"lst", ControlKind::ListBox, "", 0, 0, 10, 10, 2}};
  const LabelFor not_a_label[] = {{"btn", "lst"}};
  const LabelFor unknown[] = {{"lbl", "nothing"}};
  const LabelFor fine[] = {{"lbl", "btn"}};
  FormLayout form = {"form", "", 0, {}, 100, 100, 1, controls, not_a_label};
  EXPECT_THROW(WindowOrder(form), std::logic_error);
  form.labels = unknown;
  EXPECT_THROW(WindowOrder(form), std::logic_error);
  form.labels = fine;
  EXPECT_EQ(WindowOrder(form), (std::vector<std::size_t>{1, 0, 2}));
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
