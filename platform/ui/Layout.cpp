#include "platform/ui/Layout.hpp"

#include "platform/ui/LayoutEngine.hpp"

namespace ui {

Size Layout::sizeThatFits(const ResolvedNode& node, ProposedSize proposal, const EnvironmentValues& environment) {
    return LayoutEngine().measure(node, proposal, environment, std::nullopt);
}

LayoutNode Layout::place(const ResolvedNode& root, Rect frame, ProposedSize proposal, const EnvironmentValues& environment) {
    return LayoutEngine().place(root, frame, proposal, environment, std::nullopt);
}

double Layout::symbolSide(double pointSize) { return layout::symbolSide(pointSize); }

Font Layout::effectiveFont(const EnvironmentValues& environment) { return layout::effectiveFont(environment); }

}  // namespace ui
