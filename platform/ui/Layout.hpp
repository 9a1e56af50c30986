#pragma once

#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/LayoutRules.hpp"

#include <optional>

namespace ui {

// The layout engine: every node answers the size it wants for a proposed size, then places
// its children inside the frame it was given. Stacks offer their length to the least
// flexible children first, sharing what is left equally among the rest, as the platform
// does; spacers take what is left. Pure functions of the tree; main thread (text is
// measured with pango).
class Layout {
public:
    static constexpr double standardSpacing = layout::standardSpacing;
    // A toggle's switch, drawn at the trailing edge of its row.
    static constexpr Size switchSize = layout::switchSize;

    static Size sizeThatFits(const ResolvedNode& node, ProposedSize proposal, const EnvironmentValues& environment);
    // Lays the tree out with the root in the frame, the size it answered the proposal.
    static LayoutNode place(const ResolvedNode& root, Rect frame, ProposedSize proposal, const EnvironmentValues& environment);
    // A symbol's square side for a font size.
    static double symbolSide(double pointSize);
    // The font text gets in an environment.
    static Font effectiveFont(const EnvironmentValues& environment);
};

}  // namespace ui
