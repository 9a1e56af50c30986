#include "platform/ui/Layout.hpp"

#include "platform/appkit/TextField.hpp"
#include "platform/ui/TextLayout.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>
#include <optional>

namespace ui {

namespace {

using appkit::infinity;

// The stack a node sits in decides the shape of spacers and dividers.
using StackAxis = std::optional<Axis>;

EnvironmentValues childEnvironment(const ResolvedNode& node, const EnvironmentValues& environment) {
    if (node.node.kind() != NodeKind::environment || !node.node.data().environment) return environment;
    EnvironmentValues changed = environment;
    node.node.data().environment(changed);
    return changed;
}

double along(Size size, Axis axis) { return axis == Axis::horizontal ? size.width : size.height; }
double across(Size size, Axis axis) { return axis == Axis::horizontal ? size.height : size.width; }
std::optional<double> along(ProposedSize p, Axis axis) { return axis == Axis::horizontal ? p.width : p.height; }
std::optional<double> across(ProposedSize p, Axis axis) { return axis == Axis::horizontal ? p.height : p.width; }
ProposedSize proposal(Axis axis, std::optional<double> alongLength, std::optional<double> acrossLength) {
    return axis == Axis::horizontal ? ProposedSize{alongLength, acrossLength} : ProposedSize{acrossLength, alongLength};
}

double alignOffset(HorizontalAlignment alignment, double available, double used) {
    switch (alignment) {
    case HorizontalAlignment::leading: return 0;
    case HorizontalAlignment::center: return (available - used) / 2;
    case HorizontalAlignment::trailing: return available - used;
    }
    return 0;
}

double alignOffset(VerticalAlignment alignment, double available, double used) {
    switch (alignment) {
    case VerticalAlignment::top: return 0;
    case VerticalAlignment::center: return (available - used) / 2;
    case VerticalAlignment::bottom: return available - used;
    case VerticalAlignment::firstTextBaseline: return 0;  // stacks place by baseline themselves
    }
    return 0;
}

Rect aligned(Size child, const Rect& frame, Alignment alignment) {
    return Rect(frame.minX() + alignOffset(alignment.horizontal, frame.width(), child.width),
                frame.minY() + alignOffset(alignment.vertical, frame.height(), child.height), child.width, child.height);
}

EdgeInsets buttonInsets(const EnvironmentValues& environment) {
    if (environment.buttonStyle == ButtonStyle::plain) return {};
    switch (environment.controlSize) {
    case ControlSize::large: return {6, 14, 6, 14};
    case ControlSize::regular: return {3, 10, 3, 10};
    case ControlSize::small:
    case ControlSize::mini: return {1, 6, 1, 6};
    }
    return {};
}

Rect insetRect(const Rect& frame, const EdgeInsets& insets) {
    return Rect(frame.minX() + insets.leading, frame.minY() + insets.top,
                std::max(0.0, frame.width() - insets.leading - insets.trailing),
                std::max(0.0, frame.height() - insets.top - insets.bottom));
}

double clampToBounds(double value, std::optional<double> lower, std::optional<double> upper) {
    if (upper) value = std::min(value, *upper);
    if (lower) value = std::max(value, *lower);
    return value;
}

// The flexible frame's offer to its child on one axis, and its own length.
std::optional<double> flexibleOffer(std::optional<double> offered, std::optional<double> minimum,
                                    std::optional<double> ideal, std::optional<double> maximum) {
    std::optional<double> value = offered ? offered : ideal;
    if (!value) return std::nullopt;
    return clampToBounds(*value, minimum, maximum);
}

double flexibleLength(std::optional<double> offered, double child, std::optional<double> minimum,
                      std::optional<double> ideal, std::optional<double> maximum) {
    if (!minimum && !maximum) return offered || !ideal ? child : *ideal;
    double base = offered ? *offered : ideal ? *ideal : child;
    double lower = minimum ? *minimum : child;
    double upper = maximum ? *maximum : child;
    return std::max(lower, std::min(base, upper));
}

class Engine {
public:
    // Stacks ask their children several times for the same offer: remember the answers.
    Size measure(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment, StackAxis stack) {
        auto key = std::make_tuple(&node, p.width.value_or(-1), p.height.value_or(-1), p.width.has_value(),
                                   p.height.has_value(), stack ? static_cast<int>(*stack) : -1);
        if (auto found = measured_.find(key); found != measured_.end()) return found->second;
        Size size = measureAnew(node, p, environment, stack);
        measured_.emplace(key, size);
        return size;
    }

    Size measureAnew(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment, StackAxis stack) {
        const NodeData& data = node.node.data();
        switch (data.kind) {
        case NodeKind::empty:
            return {};
        case NodeKind::vstack:
        case NodeKind::hstack:
            return stackPlan(node, p, environment).size;
        case NodeKind::zstack: {
            Size size;
            for (const auto& child : node.children) {
                Size childSize = measure(child, p, environment, std::nullopt);
                size.width = std::max(size.width, childSize.width);
                size.height = std::max(size.height, childSize.height);
            }
            return size;
        }
        case NodeKind::text:
            return textLayout(data.text, p, environment)->size();
        case NodeKind::image:
            return imageSize(data, p);
        case NodeKind::symbol: {
            double side = Layout::symbolSide(Layout::effectiveFont(environment).pointSize);
            return {side, side};
        }
        case NodeKind::shape:
            return {p.width.value_or(10), p.height.value_or(10)};
        case NodeKind::spacer: {
            double minimum = data.minLength.value_or(Layout::standardSpacing);
            if (!stack) return {p.width.value_or(0), p.height.value_or(0)};
            double length = std::max(minimum, along(p, *stack).value_or(minimum));
            return *stack == Axis::horizontal ? Size{length, 0} : Size{0, length};
        }
        case NodeKind::divider:
            if (stack == Axis::horizontal) return {1, p.height.value_or(0)};
            return {p.width.value_or(0), 1};
        case NodeKind::button: {
            EdgeInsets insets = buttonInsets(environment);
            Size label = measure(node.children.front(), inset(p, insets), environment, std::nullopt);
            return {label.width + insets.leading + insets.trailing, label.height + insets.top + insets.bottom};
        }
        case NodeKind::padding: {
            Size child = measure(node.children.front(), inset(p, data.insets), environment, std::nullopt);
            return {child.width + data.insets.leading + data.insets.trailing,
                    child.height + data.insets.top + data.insets.bottom};
        }
        case NodeKind::frame: {
            ProposedSize offer{data.width ? data.width : p.width, data.height ? data.height : p.height};
            Size child = measure(node.children.front(), offer, environment, std::nullopt);
            return {data.width.value_or(child.width), data.height.value_or(child.height)};
        }
        case NodeKind::flexibleFrame: {
            const auto& f = data.flexibleFrame;
            ProposedSize offer{flexibleOffer(p.width, f.minWidth, f.idealWidth, f.maxWidth),
                               flexibleOffer(p.height, f.minHeight, f.idealHeight, f.maxHeight)};
            Size child = measure(node.children.front(), offer, environment, std::nullopt);
            return {flexibleLength(p.width, child.width, f.minWidth, f.idealWidth, f.maxWidth),
                    flexibleLength(p.height, child.height, f.minHeight, f.idealHeight, f.maxHeight)};
        }
        case NodeKind::environment:
            return measure(node.children.front(), p, childEnvironment(node, environment), stack);
        case NodeKind::scroll: {
            // A scroll view takes what it is offered; unbounded, it is as large as its content.
            Size content = measure(node.children.front(), {p.width, std::nullopt}, environment, std::nullopt);
            return {p.width && std::isfinite(*p.width) ? *p.width : content.width,
                    p.height && std::isfinite(*p.height) ? *p.height : content.height};
        }
        case NodeKind::toggle: {
            if (environment.labelsHidden) return Layout::switchSize;
            Size label = measure(node.children.front(), {}, environment, std::nullopt);
            double natural = label.width + Layout::standardSpacing + Layout::switchSize.width;
            double width = p.width && std::isfinite(*p.width) ? std::max(*p.width, natural) : natural;
            return {width, std::max(label.height, Layout::switchSize.height)};
        }
        case NodeKind::representable:
            return hostedSize(node, p);
        case NodeKind::asyncImage:
        case NodeKind::component:
            if (node.children.empty()) return {};
            [[fallthrough]];
        default:
            // Modifiers that leave the size to their (first) child.
            return measure(node.children.front(), p, environment, stack);
        }
    }

    LayoutNode place(const ResolvedNode& node, Rect frame, const EnvironmentValues& environment, StackAxis stack) {
        const NodeData& data = node.node.data();
        LayoutNode placed{node.node, node.path, frame, environment, node.hostedView, {}, {}, 1};
        auto add = [&](const ResolvedNode& child, Rect childFrame, const EnvironmentValues& childEnv, StackAxis axis) {
            placed.children.push_back(place(child, childFrame, childEnv, axis));
        };
        ProposedSize offer{frame.width(), frame.height()};
        switch (data.kind) {
        case NodeKind::vstack:
        case NodeKind::hstack: {
            Axis axis = data.kind == NodeKind::hstack ? Axis::horizontal : Axis::vertical;
            auto plan = stackPlan(node, offer, environment);
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
                                 ? alignOffset(data.alignment.vertical, frame.height(), size.height)
                                 : (frame.height() - plan.size.height) / 2 + plan.baseline - plan.baselines[index];
                double leading = plan.guides.empty()
                                     ? alignOffset(data.alignment.horizontal, frame.width(), size.width)
                                     : alignOffset(data.alignment.horizontal, frame.width(), plan.size.width) +
                                           plan.guideLine - plan.guides[index];
                Rect childFrame = axis == Axis::horizontal ? Rect(position, frame.minY() + top, size.width, size.height)
                                                           : Rect(frame.minX() + leading, position, size.width, size.height);
                add(child, childFrame, environment, axis);
                position += along(size, axis);
            }
            break;
        }
        case NodeKind::zstack:
            for (const auto& child : node.children)
                add(child, aligned(measure(child, offer, environment, std::nullopt), frame, data.alignment), environment,
                    std::nullopt);
            break;
        case NodeKind::button: {
            Rect inner = insetRect(frame, buttonInsets(environment));
            // A prominent button draws its label in white on the accent colour.
            EnvironmentValues labelEnvironment = environment;
            if (environment.buttonStyle == ButtonStyle::borderedProminent) labelEnvironment.foregroundColor = Color::whiteColor();
            add(node.children.front(), inner, labelEnvironment, std::nullopt);
            break;
        }
        case NodeKind::padding: {
            add(node.children.front(), insetRect(frame, data.insets), environment, std::nullopt);
            break;
        }
        case NodeKind::frame:
        case NodeKind::flexibleFrame: {
            const auto& child = node.children.front();
            add(child, aligned(measure(child, offer, environment, std::nullopt), frame, data.alignment), environment,
                std::nullopt);
            break;
        }
        case NodeKind::background:
        case NodeKind::overlay: {
            add(node.children[0], frame, environment, stack);
            const auto& decoration = node.children[1];
            add(decoration, aligned(measure(decoration, offer, environment, std::nullopt), frame, data.alignment),
                environment, std::nullopt);
            break;
        }
        case NodeKind::offset:
            add(node.children.front(), frame.offsetBy(data.offset.x, data.offset.y), environment, stack);
            break;
        case NodeKind::transition: {
            placed.presence = node.presence;
            double drop = data.transition.moveFromBottom ? (1 - node.presence) * frame.height() : 0;
            add(node.children.front(), frame.offsetBy(0, drop), environment, stack);
            break;
        }
        case NodeKind::scroll: {
            const auto& content = node.children.front();
            Size size = measure(content, {frame.width(), std::nullopt}, environment, std::nullopt);
            placed.contentSize = size;
            add(content, Rect(frame.minX(), frame.minY() - node.scrollOffset, frame.width(), size.height), environment,
                std::nullopt);
            break;
        }
        case NodeKind::toggle: {
            const auto& label = node.children.front();
            Size size = environment.labelsHidden ? Size{} : measure(label, {}, environment, std::nullopt);
            add(label, Rect(frame.minX(), frame.midY() - size.height / 2, size.width, size.height), environment, std::nullopt);
            break;
        }
        case NodeKind::environment:
            add(node.children.front(), frame, childEnvironment(node, environment), stack);
            break;
        default:
            for (const auto& child : node.children) add(child, frame, environment, stack);
            break;
        }
        return placed;
    }

    // The distance from a child's top to its first text baseline, for a child of that size.
    double firstBaseline(const ResolvedNode& child, Size size, const EnvironmentValues& environment) {
        LayoutNode placed = place(child, Rect(Point{}, size), environment, Axis::horizontal);
        std::optional<double> baseline;
        placed.forEach([&](const LayoutNode& node) {
            if (baseline) return;
            if (node.kind() == NodeKind::text) {
                TextStyle style{Layout::effectiveFont(node.environment), node.frame.width(), node.environment.lineLimit,
                                node.environment.multilineTextAlignment, node.environment.tracking};
                baseline = node.frame.minY() + TextLayout(node.data().text, style).firstBaseline();
            } else if (auto* field = dynamic_cast<appkit::TextField*>(node.hostedView.get())) {
                // A one-line field draws its text centred in its height.
                TextLayout line("X", TextStyle{field->font(), std::nullopt, 1, TextAlignment::leading, 0});
                baseline = node.frame.midY() - line.size().height / 2 + line.firstBaseline();
            }
        });
        return baseline.value_or(size.height);
    }

private:
    std::map<std::tuple<const ResolvedNode*, double, double, bool, bool, int>, Size> measured_;
    std::map<const ResolvedNode*, bool> setsGuides_;

    struct StackPlan {
        std::vector<Size> sizes;
        double spacing = 0;
        Size size;
        std::vector<double> baselines;  // baseline alignment only
        double baseline = 0;
        std::vector<double> guides;  // vertical stacks whose children set alignment guides
        double guideLine = 0;
    };

    // Whether anything below sets an alignment guide (stacks then align by guides).
    bool setsGuides(const ResolvedNode& node) {
        if (auto found = setsGuides_.find(&node); found != setsGuides_.end()) return found->second;
        bool sets = node.node.kind() == NodeKind::alignmentGuide ||
                    std::any_of(node.children.begin(), node.children.end(),
                                [this](const ResolvedNode& child) { return setsGuides(child); });
        setsGuides_.emplace(&node, sets);
        return sets;
    }

    // A child's value of the guide, for a child of that size.
    double guideValue(const ResolvedNode& child, Size size, const HorizontalGuide& guide,
                      const EnvironmentValues& environment) {
        LayoutNode placed = place(child, Rect(Point{}, size), environment, Axis::vertical);
        return explicitGuide(placed, guide).value_or(guide.defaultValue(size));
    }

    StackPlan stackPlan(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment) {
        const NodeData& data = node.node.data();
        Axis axis = data.kind == NodeKind::hstack ? Axis::horizontal : Axis::vertical;
        StackPlan plan;
        plan.spacing = data.spacing.value_or(Layout::standardSpacing);
        const auto& children = node.children;
        plan.sizes.resize(children.size());
        std::size_t visible = std::count_if(children.begin(), children.end(),
                                            [](const ResolvedNode& child) { return child.node.kind() != NodeKind::empty; });
        double spacingTotal = visible > 1 ? plan.spacing * static_cast<double>(visible - 1) : 0;
        auto crossOffer = across(p, axis);
        auto alongOffer = along(p, axis);
        if (!alongOffer) {
            for (std::size_t index = 0; index < children.size(); ++index)
                plan.sizes[index] = measure(children[index], proposal(axis, std::nullopt, crossOffer), environment, axis);
        } else {
            // The least flexible children choose first; the rest share what is left.
            std::vector<double> flexibility(children.size());
            for (std::size_t index = 0; index < children.size(); ++index) {
                double smallest = along(measure(children[index], proposal(axis, 0.0, crossOffer), environment, axis), axis);
                double largest =
                    along(measure(children[index], proposal(axis, infinity, crossOffer), environment, axis), axis);
                flexibility[index] = largest - smallest;
            }
            std::vector<std::size_t> order(children.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t left, std::size_t right) { return flexibility[left] < flexibility[right]; });
            double remaining = *alongOffer - spacingTotal;
            std::size_t left = children.size();
            for (std::size_t index : order) {
                double share = std::max(0.0, remaining / static_cast<double>(left));
                plan.sizes[index] = measure(children[index], proposal(axis, share, crossOffer), environment, axis);
                remaining -= along(plan.sizes[index], axis);
                --left;
            }
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
                plan.baselines[index] = firstBaseline(children[index], plan.sizes[index], environment);
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
                plan.guides[index] = guideValue(children[index], plan.sizes[index], guide, environment);
                before = std::max(before, plan.guides[index]);
                after = std::max(after, plan.sizes[index].width - plan.guides[index]);
            }
            plan.guideLine = before;
            thickness = before + after;
        }
        plan.size = axis == Axis::horizontal ? Size{length, thickness} : Size{thickness, length};
        return plan;
    }

    static ProposedSize inset(ProposedSize p, const EdgeInsets& insets) {
        auto shrink = [](std::optional<double> length, double by) -> std::optional<double> {
            if (!length) return std::nullopt;
            return std::max(0.0, *length - by);
        };
        return {shrink(p.width, insets.leading + insets.trailing), shrink(p.height, insets.top + insets.bottom)};
    }

    std::unique_ptr<TextLayout> textLayout(const std::string& text, ProposedSize p, const EnvironmentValues& environment) {
        TextStyle style;
        style.font = Layout::effectiveFont(environment);
        if (p.width && std::isfinite(*p.width)) style.width = *p.width;
        style.lineLimit = environment.lineLimit;
        style.alignment = environment.multilineTextAlignment;
        style.letterSpacing = environment.tracking;
        return std::make_unique<TextLayout>(text, style);
    }

    static Size imageSize(const NodeData& data, ProposedSize p) {
        Size natural = data.image ? Size{static_cast<double>(data.image->width()), static_cast<double>(data.image->height())}
                                  : Size{};
        if (!data.resizable) return natural;
        if (!data.contentMode || natural.width <= 0 || natural.height <= 0)
            return {p.width.value_or(natural.width), p.height.value_or(natural.height)};
        if (!p.width && !p.height) return natural;
        double horizontal = p.width ? *p.width / natural.width : -1;
        double vertical = p.height ? *p.height / natural.height : -1;
        double scale;
        if (horizontal < 0) scale = vertical;
        else if (vertical < 0) scale = horizontal;
        else scale = *data.contentMode == ContentMode::fit ? std::min(horizontal, vertical) : std::max(horizontal, vertical);
        return {natural.width * scale, natural.height * scale};
    }

    static Size hostedSize(const ResolvedNode& node, ProposedSize p) {
        if (!node.hostedView) return {p.width.value_or(0), p.height.value_or(0)};
        Size intrinsic = node.hostedView->intrinsicContentSize();
        // Strongly hugging views keep their intrinsic length; others take what is offered.
        auto length = [&](double own, std::optional<double> offered, appkit::LayoutOrientation orientation) {
            bool hugs = node.hostedView->contentHuggingPriority(orientation) >= 750;
            if (own >= 0 && (hugs || !offered)) return own;
            if (offered) return std::isfinite(*offered) ? *offered : std::max(own, 0.0);
            return std::max(own, 0.0);
        };
        return {length(intrinsic.width, p.width, appkit::LayoutOrientation::horizontal),
                length(intrinsic.height, p.height, appkit::LayoutOrientation::vertical)};
    }
};

}  // namespace

Size Layout::sizeThatFits(const ResolvedNode& node, ProposedSize proposal, const EnvironmentValues& environment) {
    return Engine().measure(node, proposal, environment, std::nullopt);
}

LayoutNode Layout::place(const ResolvedNode& root, Rect bounds, const EnvironmentValues& environment) {
    return Engine().place(root, bounds, environment, std::nullopt);
}

double Layout::symbolSide(double pointSize) { return std::round(pointSize * 1.2); }

Font Layout::effectiveFont(const EnvironmentValues& environment) { return environment.font.value_or(Font::body()); }

}  // namespace ui
