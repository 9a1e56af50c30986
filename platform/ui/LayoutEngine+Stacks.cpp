#include "platform/ui/LayoutEngine.hpp"

#include "platform/appkit/TextField.hpp"
#include "platform/ui/LayoutRules.hpp"
#include "platform/ui/TextLayoutCache.hpp"

#include <algorithm>

namespace ui {

using namespace layout;
using appkit::infinity;

namespace {

// A spacer, also behind an id, an environment change, lifecycle actions or a view's body.
bool isSpacer(const ResolvedNode& node) {
    switch (node.node.kind()) {
    case NodeKind::spacer:
        return true;
    case NodeKind::identified:
    case NodeKind::environment:
    case NodeKind::lifecycle:
    case NodeKind::component:
        return node.children.size() == 1 && isSpacer(node.children.front());
    default:
        return false;
    }
}

}  // namespace

LayoutEngine::StackPlan LayoutEngine::stackPlan(const ResolvedNode& node, ProposedSize p,
                                                const EnvironmentValues& environment) {
    const auto& data = node.node.data<StackData>();
    Axis axis = node.node.kind() == NodeKind::hstack ? Axis::horizontal : Axis::vertical;
    StackPlan plan;
    plan.spacing = data.spacing.value_or(standardSpacing);
    const auto& children = node.children;
    plan.sizes.resize(children.size());
    plan.proposals.resize(children.size());
    std::size_t visible = std::count_if(children.begin(), children.end(),
                                        [](const ResolvedNode& child) { return child.node.kind() != NodeKind::empty; });
    double spacingTotal = visible > 1 ? plan.spacing * static_cast<double>(visible - 1) : 0;
    auto crossOffer = across(p, axis);
    auto alongOffer = along(p, axis);
    if (!alongOffer) {
        for (std::size_t index = 0; index < children.size(); ++index) {
            plan.proposals[index] = proposal(axis, std::nullopt, crossOffer);
            plan.sizes[index] = measure(children[index], plan.proposals[index], environment, axis);
        }
    } else {
        // Spacers come last: the other children share the length less the spacers'
        // minimums, the least flexible choosing first, and the spacers share what is left.
        std::vector<std::size_t> others, spacers;
        std::vector<double> flexibility(children.size());
        double reserved = 0;
        for (std::size_t index = 0; index < children.size(); ++index) {
            double smallest = along(measure(children[index], proposal(axis, 0.0, crossOffer), environment, axis), axis);
            if (isSpacer(children[index])) {
                spacers.push_back(index);
                reserved += smallest;
                continue;
            }
            double largest =
                along(measure(children[index], proposal(axis, infinity, crossOffer), environment, axis), axis);
            flexibility[index] = largest - smallest;
            others.push_back(index);
        }
        std::stable_sort(others.begin(), others.end(),
                         [&](std::size_t left, std::size_t right) { return flexibility[left] < flexibility[right]; });
        double remaining = *alongOffer - spacingTotal - reserved;
        auto share = [&](const std::vector<std::size_t>& group) {
            std::size_t left = group.size();
            for (std::size_t index : group) {
                plan.proposals[index] =
                    proposal(axis, std::max(0.0, remaining / static_cast<double>(left)), crossOffer);
                plan.sizes[index] = measure(children[index], plan.proposals[index], environment, axis);
                remaining -= along(plan.sizes[index], axis);
                --left;
            }
        };
        share(others);
        remaining += reserved;
        share(spacers);
    }
    double length = spacingTotal, thickness = 0;
    for (const auto& size : plan.sizes) {
        length += along(size, axis);
        thickness = std::max(thickness, across(size, axis));
    }
    if (axis == Axis::horizontal && data.alignment.vertical == VerticalAlignment::firstTextBaseline) {
        // Lined up on their baselines, the children reach from the highest top to the lowest bottom.
        plan.baselines.resize(children.size());
        double above = 0, below = 0;
        for (std::size_t index = 0; index < children.size(); ++index) {
            plan.baselines[index] =
                firstBaseline(children[index], plan.sizes[index], plan.proposals[index], environment);
            above = std::max(above, plan.baselines[index]);
            below = std::max(below, plan.sizes[index].height - plan.baselines[index]);
        }
        plan.baseline = above;
        thickness = above + below;
    }
    if (axis == Axis::vertical && setsGuides(node)) {
        // The children's guides stand on one line; the stack reaches from the farthest
        // leading edge to the farthest trailing one.
        auto guide = HorizontalGuide::standard(data.alignment.horizontal);
        plan.guides.resize(children.size());
        double before = 0, after = 0;
        for (std::size_t index = 0; index < children.size(); ++index) {
            plan.guides[index] = guideValue(children[index], plan.sizes[index], plan.proposals[index], guide, environment);
            before = std::max(before, plan.guides[index]);
            after = std::max(after, plan.sizes[index].width - plan.guides[index]);
        }
        plan.guideLine = before;
        thickness = before + after;
    }
    plan.size = axis == Axis::horizontal ? Size{length, thickness} : Size{thickness, length};
    return plan;
}

void LayoutEngine::placeStack(const ResolvedNode& node, LayoutNode& placed, ProposedSize p,
                              const EnvironmentValues& environment) {
    const Node& data = node.node;
    const Rect& frame = placed.frame;
    Axis axis = data.kind() == NodeKind::hstack ? Axis::horizontal : Axis::vertical;
    const auto& alignment = data.data<StackData>().alignment;
    auto plan = stackPlan(node, p, environment);
    double position = axis == Axis::horizontal ? frame.minX() : frame.minY();
    bool first = true;
    for (std::size_t index = 0; index < node.children.size(); ++index) {
        const auto& child = node.children[index];
        Size size = plan.sizes[index];
        if (child.node.kind() != NodeKind::empty) {
            if (!first) position += plan.spacing;
            first = false;
        }
        double top = plan.baselines.empty()
                         ? alignOffset(alignment.vertical, frame.height(), size.height)
                         : (frame.height() - plan.size.height) / 2 + plan.baseline - plan.baselines[index];
        double leading = plan.guides.empty() ? alignOffset(alignment.horizontal, frame.width(), size.width)
                                             : alignOffset(alignment.horizontal, frame.width(), plan.size.width) +
                                                   plan.guideLine - plan.guides[index];
        Rect childFrame = axis == Axis::horizontal ? Rect(position, frame.minY() + top, size.width, size.height)
                                                   : Rect(frame.minX() + leading, position, size.width, size.height);
        placed.children.push_back(place(child, childFrame, plan.proposals[index], environment, axis));
        position += along(size, axis);
    }
}

// The distance from a child's top to its first text baseline, for the size it answered the offer.
double LayoutEngine::firstBaseline(const ResolvedNode& child, Size size, ProposedSize offer,
                                   const EnvironmentValues& environment) {
    LayoutNode placed = place(child, Rect(Point{}, size), offer, environment, Axis::horizontal);
    std::optional<double> baseline;
    placed.forEach([&](const LayoutNode& node) {
        if (baseline) return;
        if (node.kind() == NodeKind::text) {
            TextStyle style{effectiveFont(node.environment), node.frame.width(), node.environment.lineLimit,
                            node.environment.multilineTextAlignment, node.environment.tracking};
            baseline = node.frame.minY() + TextLayoutCache::layout(node.data<TextData>().text, style)->firstBaseline();
        } else if (auto* field = dynamic_cast<appkit::TextField*>(node.hostedView.get())) {
            // A one-line field draws its text centred in its height.
            auto line = TextLayoutCache::layout("X", TextStyle{field->font(), std::nullopt, 1, TextAlignment::leading, 0});
            baseline = node.frame.midY() - line->size().height / 2 + line->firstBaseline();
        }
    });
    return baseline.value_or(size.height);
}

bool LayoutEngine::setsGuides(const ResolvedNode& node) {
    if (auto found = setsGuides_.find(&node); found != setsGuides_.end()) return found->second;
    bool sets = node.node.kind() == NodeKind::alignmentGuide ||
                std::any_of(node.children.begin(), node.children.end(),
                            [this](const ResolvedNode& child) { return setsGuides(child); });
    setsGuides_.emplace(&node, sets);
    return sets;
}

double LayoutEngine::guideValue(const ResolvedNode& child, Size size, ProposedSize offer, const HorizontalGuide& guide,
                                const EnvironmentValues& environment) {
    LayoutNode placed = place(child, Rect(Point{}, size), offer, environment, Axis::vertical);
    return explicitGuide(placed, guide).value_or(guide.defaultValue(size));
}

}  // namespace ui
