#include "platform/ui/LayoutRules.hpp"

#include <algorithm>
#include <cmath>

namespace ui::layout {

double symbolSide(double pointSize) { return std::round(pointSize * 1.2); }

Font effectiveFont(const EnvironmentValues& environment) { return environment.font.value_or(Font::body()); }

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

ProposedSize inset(ProposedSize p, const EdgeInsets& insets) {
    auto shrink = [](std::optional<double> length, double by) -> std::optional<double> {
        if (!length) return std::nullopt;
        return std::max(0.0, *length - by);
    };
    return {shrink(p.width, insets.leading + insets.trailing), shrink(p.height, insets.top + insets.bottom)};
}

namespace {

double clampToBounds(double value, std::optional<double> lower, std::optional<double> upper) {
    if (upper) value = std::min(value, *upper);
    if (lower) value = std::max(value, *lower);
    return value;
}

// The flexible frame's offer to its child on one axis.
std::optional<double> flexibleOffer(std::optional<double> offered, std::optional<double> minimum,
                                    std::optional<double> ideal, std::optional<double> maximum) {
    std::optional<double> value = offered ? offered : ideal;
    if (!value) return std::nullopt;
    return clampToBounds(*value, minimum, maximum);
}

}  // namespace

double flexibleLength(std::optional<double> offered, double child, std::optional<double> minimum,
                      std::optional<double> ideal, std::optional<double> maximum) {
    if (!minimum && !maximum) return offered || !ideal ? child : *ideal;
    double base = offered ? *offered : ideal ? *ideal : child;
    // A given bound wins over the child's length: a child wider than the maximum stands out.
    double lower = minimum ? *minimum : maximum ? std::min(child, *maximum) : child;
    double upper = maximum ? *maximum : child;
    return std::max(lower, std::min(base, upper));
}

ProposedSize fixedFrameOffer(const FrameData& data, ProposedSize p) {
    return {data.width ? data.width : p.width, data.height ? data.height : p.height};
}

ProposedSize flexibleFrameOffer(const FlexibleFrame& f, ProposedSize p) {
    return {flexibleOffer(p.width, f.minWidth, f.idealWidth, f.maxWidth),
            flexibleOffer(p.height, f.minHeight, f.idealHeight, f.maxHeight)};
}

ProposedSize scrollContentOffer(ProposedSize p) { return {p.width, std::nullopt}; }

}  // namespace ui::layout
