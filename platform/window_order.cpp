#include "platform/window_order.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>

namespace velmora {
namespace {

std::size_t IndexOf(const FormLayout& layout, std::string_view name) {
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    if (layout.controls[i].name == name) return i;
  }
  throw std::logic_error(std::string(layout.name) + " has no control named " +
                         std::string(name));
}

}  // namespace

std::vector<std::size_t> WindowOrder(const FormLayout& layout) {
  std::vector<std::size_t> order(layout.controls.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return layout.controls[a].tab < layout.controls[b].tab;
                   });
  for (const LabelFor& pair : layout.labels) {
    const std::size_t label = IndexOf(layout, pair.label);
    const std::size_t control = IndexOf(layout, pair.control);
    if (layout.controls[label].kind != ControlKind::Label)
      throw std::logic_error(std::string(layout.name) + "." +
                             std::string(pair.label) + " is not a label");
    order.erase(std::find(order.begin(), order.end(), label));
    order.insert(std::find(order.begin(), order.end(), control), label);
  }
  return order;
}

bool UnderRaisedLabel(const FormLayout& layout, std::size_t index) {
  const ControlLayout& control = layout.controls[index];
  for (const LabelFor& pair : layout.labels) {
    if (pair.control == control.name &&
        layout.controls[IndexOf(layout, pair.label)].tab > control.tab)
      return true;
  }
  return false;
}

}  // namespace velmora
