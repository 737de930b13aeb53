// The order of the windows' controls: each label right before the list or
// text box it names, the tab stops in the Tab column's order.
#include "platform/window_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/frmremover.h"
#include "viewer/frmview.h"

namespace velmora {
namespace {

std::vector<std::string> NamesInOrder(const FormLayout& layout) {
  std::vector<std::string> names;
  for (std::size_t i : WindowOrder(layout))
    names.emplace_back(layout.controls[i].name);
  return names;
}

struct Named {
  const FormLayout* form;
  const char* label;
  const char* control;
};

TEST(WindowOrder, EachLabelComesRightBeforeTheControlItNames) {
  const Named cases[] = {{&kFrmremoverLayout, "Label2", "Drive1"},
                         {&kFrmremoverLayout, "Label3", "File1"},
                         {&kFrmremoverLayout, "Label4", "List1"},
                         {&kFrmviewLayout, "Label1", "txtautorun"}};
  for (const Named& c : cases) {
    const auto names = NamesInOrder(*c.form);
    const auto control = std::find(names.begin(), names.end(), c.control);
    ASSERT_NE(control, names.begin()) << c.control;
    EXPECT_EQ(*(control - 1), c.label) << c.control;
  }
}

TEST(WindowOrder, EverythingButTheMovedLabelsKeepsTheTabColumnsOrder) {
  for (const FormLayout* form : {&kFrmremoverLayout, &kFrmviewLayout}) {
    std::vector<int> tabs;
    for (std::size_t i : WindowOrder(*form)) {
      const ControlLayout& c = form->controls[i];
      const bool moved = std::any_of(
          form->labels.begin(), form->labels.end(),
          [&](const LabelFor& pair) { return pair.label == c.name; });
      if (!moved) tabs.push_back(c.tab);
    }
    EXPECT_EQ(tabs.size(), form->controls.size() - form->labels.size());
    EXPECT_TRUE(std::is_sorted(tabs.begin(), tabs.end())) << form->name;
  }
}

TEST(WindowOrder, ViewerReadsItsTitleRightBeforeItsText) {
  EXPECT_EQ(NamesInOrder(kFrmviewLayout),
            (std::vector<std::string>{"OKButton", "CancelButton", "Label1",
                                      "txtautorun", "Label2", "lbldrive"}));
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

}  // namespace
}  // namespace velmora
