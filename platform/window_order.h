// The order of a window's controls: the order their native windows are made
// in, which is their order in the window (Z order), the one Tab walks and
// screen readers read.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/layout.h"

namespace velmora {

// The indices of `layout.controls` by the Tab column, with each label of
// `layout.labels` moved right before the control it names. Labels take no
// focus, so the tab stops keep the Tab column's order. Throws
// std::logic_error for a name the layout lacks or a "label" that is not one.
std::vector<std::size_t> WindowOrder(const FormLayout& layout);

}  // namespace velmora
