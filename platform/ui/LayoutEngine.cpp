#include "platform/ui/LayoutEngine.hpp"

#include "platform/ui/LayoutRules.hpp"
#include "platform/ui/TextLayoutCache.hpp"

#include <algorithm>
#include <cmath>

namespace ui {

using namespace layout;
using appkit::infinity;

namespace {

EnvironmentValues childEnvironment(const ResolvedNode& node, const EnvironmentValues& environment) {
    if (node.node.kind() != NodeKind::environment) return environment;
    const auto& change = node.node.data<EnvironmentData>().change;
    if (!change) return environment;
    EnvironmentValues changed = environment;
    change(changed);
    return changed;
}

}  // namespace

// Stacks ask their children several times for the same offer: remember the answers.
Size LayoutEngine::measure(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment,
                           StackAxis stack) {
    auto key = std::make_tuple(&node, p.width.value_or(-1), p.height.value_or(-1), p.width.has_value(),
                               p.height.has_value(), stack ? static_cast<int>(*stack) : -1);
    if (auto found = measured_.find(key); found != measured_.end()) return found->second;
    Size size = measureAnew(node, p, environment, stack);
    measured_.emplace(key, size);
    return size;
}

Size LayoutEngine::measureAnew(const ResolvedNode& node, ProposedSize p, const EnvironmentValues& environment,
                               StackAxis stack) {
    const Node& data = node.node;
    switch (data.kind()) {
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
        return textLayout(data.data<TextData>().text, p, environment)->size();
    case NodeKind::image:
        return imageSize(data.data<ImageData>(), p);
    case NodeKind::symbol: {
        double side = symbolSide(effectiveFont(environment).pointSize);
        return {side, side};
    }
    case NodeKind::shape:
        return {p.width.value_or(10), p.height.value_or(10)};
    case NodeKind::spacer: {
        double minimum = data.data<SpacerData>().minLength.value_or(standardSpacing);
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
        const auto& insets = data.data<PaddingData>().insets;
        Size child = measure(node.children.front(), inset(p, insets), environment, std::nullopt);
        return {child.width + insets.leading + insets.trailing, child.height + insets.top + insets.bottom};
    }
    case NodeKind::frame: {
        const auto& frame = data.data<FrameData>();
        Size child = measure(node.children.front(), fixedFrameOffer(frame, p), environment, std::nullopt);
        return {frame.width.value_or(child.width), frame.height.value_or(child.height)};
    }
    case NodeKind::flexibleFrame: {
        const auto& f = data.data<FlexibleFrame>();
        Size child = measure(node.children.front(), flexibleFrameOffer(f, p), environment, std::nullopt);
        return {flexibleLength(p.width, child.width, f.minWidth, f.idealWidth, f.maxWidth),
                flexibleLength(p.height, child.height, f.minHeight, f.idealHeight, f.maxHeight)};
    }
    case NodeKind::environment:
        return measure(node.children.front(), p, childEnvironment(node, environment), stack);
    case NodeKind::scroll: {
        // A scroll view takes what it is offered; unbounded, it is as large as its content.
        Size content = measure(node.children.front(), scrollContentOffer(p), environment, std::nullopt);
        return {p.width && std::isfinite(*p.width) ? *p.width : content.width,
                p.height && std::isfinite(*p.height) ? *p.height : content.height};
    }
    case NodeKind::toggle: {
        if (environment.labelsHidden) return switchSize;
        Size label = measure(node.children.front(), {}, environment, std::nullopt);
        double natural = label.width + standardSpacing + switchSize.width;
        double width = p.width && std::isfinite(*p.width) ? std::max(*p.width, natural) : natural;
        return {width, std::max(label.height, switchSize.height)};
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

// Children are placed with the offers they were measured with, so they get the sizes they answered.
LayoutNode LayoutEngine::place(const ResolvedNode& node, Rect frame, ProposedSize p,
                               const EnvironmentValues& environment, StackAxis stack) {
    const Node& data = node.node;
    LayoutNode placed{node.node, node.identity, frame, environment, node.hostedView, {}, {}, node.scrollOffset, 1};
    auto add = [&](const ResolvedNode& child, Rect childFrame, ProposedSize offer, const EnvironmentValues& childEnv,
                   StackAxis axis) { placed.children.push_back(place(child, childFrame, offer, childEnv, axis)); };
    switch (data.kind()) {
    case NodeKind::vstack:
    case NodeKind::hstack:
        placeStack(node, placed, p, environment);
        break;
    case NodeKind::zstack:
        for (const auto& child : node.children)
            add(child, aligned(measure(child, p, environment, std::nullopt), frame, data.data<ZStackData>().alignment),
                p, environment, std::nullopt);
        break;
    case NodeKind::button: {
        EdgeInsets insets = buttonInsets(environment);
        Rect inner = insetRect(frame, insets);
        // A prominent button draws its label in white on the accent colour.
        EnvironmentValues labelEnvironment = environment;
        if (environment.buttonStyle == ButtonStyle::borderedProminent)
            labelEnvironment.foregroundColor = Color::whiteColor();
        add(node.children.front(), inner, inset(p, insets), labelEnvironment, std::nullopt);
        break;
    }
    case NodeKind::padding: {
        const auto& insets = data.data<PaddingData>().insets;
        add(node.children.front(), insetRect(frame, insets), inset(p, insets), environment, std::nullopt);
        break;
    }
    case NodeKind::frame:
    case NodeKind::flexibleFrame: {
        const auto& child = node.children.front();
        bool fixed = data.kind() == NodeKind::frame;
        ProposedSize offer =
            fixed ? fixedFrameOffer(data.data<FrameData>(), p) : flexibleFrameOffer(data.data<FlexibleFrame>(), p);
        Alignment alignment = fixed ? data.data<FrameData>().alignment : data.data<FlexibleFrame>().alignment;
        add(child, aligned(measure(child, offer, environment, std::nullopt), frame, alignment), offer, environment,
            std::nullopt);
        break;
    }
    case NodeKind::background:
    case NodeKind::overlay: {
        add(node.children[0], frame, p, environment, stack);
        // The decoration is offered the size of what it decorates.
        const auto& decoration = node.children[1];
        ProposedSize offer{frame.width(), frame.height()};
        add(decoration,
            aligned(measure(decoration, offer, environment, std::nullopt), frame,
                    data.data<DecorationData>().alignment),
            offer, environment, std::nullopt);
        break;
    }
    case NodeKind::offset: {
        const auto& offset = data.data<OffsetData>().offset;
        add(node.children.front(), frame.offsetBy(offset.x, offset.y), p, environment, stack);
        break;
    }
    case NodeKind::transition: {
        placed.presence = node.presence;
        double drop = data.data<Transition>().moveFromBottom ? (1 - node.presence) * frame.height() : 0;
        add(node.children.front(), frame.offsetBy(0, drop), p, environment, stack);
        break;
    }
    case NodeKind::scroll: {
        const auto& content = node.children.front();
        Size size = measure(content, scrollContentOffer(p), environment, std::nullopt);
        placed.contentSize = size;
        // Content that shrank below its offset is scrolled back to its end, never past it.
        placed.scrollOffset = std::clamp(node.scrollOffset, 0.0, std::max(0.0, size.height - frame.height()));
        // Content narrower than the scroll view stands centred in it, as in a frame.
        add(content,
            Rect(frame.minX() + (frame.width() - size.width) / 2, frame.minY() - placed.scrollOffset, size.width,
                 size.height),
            scrollContentOffer(p), environment, std::nullopt);
        break;
    }
    case NodeKind::toggle: {
        const auto& label = node.children.front();
        Size size = environment.labelsHidden ? Size{} : measure(label, {}, environment, std::nullopt);
        add(label, Rect(frame.minX(), frame.midY() - size.height / 2, size.width, size.height), {}, environment,
            std::nullopt);
        break;
    }
    case NodeKind::environment:
        add(node.children.front(), frame, p, childEnvironment(node, environment), stack);
        break;
    default:
        for (const auto& child : node.children) add(child, frame, p, environment, stack);
        break;
    }
    return placed;
}

std::shared_ptr<const TextLayout> LayoutEngine::textLayout(const std::string& text, ProposedSize p,
                                                     const EnvironmentValues& environment) {
    TextStyle style;
    style.font = effectiveFont(environment);
    if (p.width && std::isfinite(*p.width)) style.width = *p.width;
    style.lineLimit = environment.lineLimit;
    style.alignment = environment.multilineTextAlignment;
    style.letterSpacing = environment.tracking;
    return TextLayoutCache::layout(text, style);
}

Size LayoutEngine::imageSize(const ImageData& data, ProposedSize p) {
    Size natural =
        data.image ? Size{static_cast<double>(data.image->width()), static_cast<double>(data.image->height())} : Size{};
    if (!data.resizable) return natural;
    if (!data.contentMode || natural.width <= 0 || natural.height <= 0)
        return {p.width.value_or(natural.width), p.height.value_or(natural.height)};
    if (!p.width && !p.height) return natural;
    double horizontal = p.width ? *p.width / natural.width : -1;
    double vertical = p.height ? *p.height / natural.height : -1;
    double scale;
    if (horizontal < 0)
        scale = vertical;
    else if (vertical < 0)
        scale = horizontal;
    else
        scale = *data.contentMode == ContentMode::fit ? std::min(horizontal, vertical) : std::max(horizontal, vertical);
    return {natural.width * scale, natural.height * scale};
}

Size LayoutEngine::hostedSize(const ResolvedNode& node, ProposedSize p) {
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

}  // namespace ui
