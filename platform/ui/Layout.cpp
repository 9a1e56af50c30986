#include "platform/ui/Layout.hpp"

#include "platform/ui/LayoutEngine.hpp"

#include <cmath>

namespace ui {

Size Layout::sizeThatFits(const ResolvedNode& node, ProposedSize proposal, const EnvironmentValues& environment) {
    return LayoutEngine().measure(node, proposal, environment, std::nullopt);
}

LayoutNode Layout::place(const ResolvedNode& root, Rect frame, ProposedSize proposal, const EnvironmentValues& environment) {
    return LayoutEngine().place(root, frame, proposal, environment, std::nullopt);
}

double Layout::symbolSide(double pointSize) { return std::round(pointSize * 1.2); }

Font Layout::effectiveFont(const EnvironmentValues& environment) { return environment.font.value_or(Font::body()); }

}  // namespace ui
