#pragma once

#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/TextLayout.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace ui {

// The engine behind Layout: every node answers the size it wants for a proposed size, and
// is then placed in a frame of that size with the same proposal, placing its children with
// the offers they were measured with, so each gets the size it answered. Stacks ask their
// children several times for the same offer: one engine remembers the answers for one
// layout pass. Main thread only (text is measured with pango).
class LayoutEngine {
public:
    // The stack a node sits in decides the shape of spacers and dividers.
    using StackAxis = std::optional<Axis>;

    Size measure(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment, StackAxis stack);
    // Places the node in its frame, the size it answered for the proposal.
    LayoutNode place(const ResolvedNode& node, Rect frame, ProposedSize p, const EnvironmentValues& environment,
                     StackAxis stack);

private:
    // How a stack shares its length: each child's offer and size, and where the children's
    // first baselines lie when they line up on them.
    struct StackPlan {
        std::vector<Size> sizes;
        std::vector<ProposedSize> proposals;
        double spacing = 0;
        Size size;
        std::vector<double> baselines;  // baseline alignment only
        double baseline = 0;
        std::vector<double> guides;  // vertical stacks whose children set alignment guides
        double guideLine = 0;
    };

    Size measureAnew(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment, StackAxis stack);
    // Stacks: LayoutEngine+Stacks.cpp.
    StackPlan stackPlan(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment);
    void placeStack(const ResolvedNode& node, LayoutNode& placed, ProposedSize p, const EnvironmentValues& environment);
    double firstBaseline(const ResolvedNode& child, Size size, ProposedSize offer,
                         const EnvironmentValues& environment);
    // Whether anything below sets an alignment guide (stacks then align by guides).
    bool setsGuides(const ResolvedNode& node);
    // A child's value of the guide, for the size it answered the offer.
    double guideValue(const ResolvedNode& child, Size size, ProposedSize offer, const HorizontalGuide& guide,
                      const EnvironmentValues& environment);
    std::shared_ptr<const TextLayout> textLayout(const std::string& text, ProposedSize p,
                                           const EnvironmentValues& environment);
    static Size imageSize(const ImageData& data, ProposedSize p);
    static Size hostedSize(const ResolvedNode& node, ProposedSize p);

    std::map<std::tuple<const ResolvedNode*, double, double, bool, bool, int>, Size> measured_;
    std::map<const ResolvedNode*, bool> setsGuides_;
};

}  // namespace ui
