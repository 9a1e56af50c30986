#pragma once

#include "platform/ui/Node.hpp"

namespace GlobalShortcuts {

// The guide on which form rows line up their controls; a view that does not set it has it
// at its horizontal centre.
const ui::HorizontalGuide& controlAlignment();

// The content as a form row: the label, then the content with its labels hidden, on one
// line aligned on the first text baseline. The row's leading edge is its control's leading
// edge, so rows stacked with leading alignment put their controls on one vertical line,
// their labels to the left of it. Main thread only.
ui::Node recorderFormRow(ui::Node content, ui::Node label);

}  // namespace GlobalShortcuts
