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

// Whether the control at `index` is named by a label that the Tab column puts
// after it, which WindowOrder raises above it. Such a control clips the
// siblings above it, so that where the two overlap (the design lays a label
// 15 twips over the top edge of the list it names) the label paints over it
// as it did from below, and nothing on screen changes.
bool UnderRaisedLabel(const FormLayout& layout, std::size_t index);

}  // namespace velmora
