#include "platform/ui/Scrolling.hpp"

#include "platform/appkit/AnimationContext.hpp"

#include <algorithm>

namespace ui {

std::optional<Scrolling::Move> Scrolling::plan(const LayoutNode& layout, const Identity& reader, const std::string& id,
                                               ScrollAnchor anchor) {
    const LayoutNode* scroll = layout.find(
        [&](const LayoutNode& node) { return node.kind() == NodeKind::scroll && node.identity.isWithin(reader); });
    if (!scroll) return std::nullopt;
    auto isTarget = [&](const LayoutNode& node) {
        return node.kind() == NodeKind::identified && node.data<IdentifiedData>().id == id;
    };
    double limit = std::max(0.0, scroll->contentSize.height - scroll->frame.height());
    const LayoutNode* target = scroll->find(isTarget);
    if (!target) {
        // An id around the scroll view itself: its top (or end) is the content's.
        const LayoutNode* around = layout.find(isTarget);
        if (!around || !scroll->identity.isWithin(around->identity)) return std::nullopt;
        double offset = anchor == ScrollAnchor::top ? 0 : anchor == ScrollAnchor::bottom ? limit : limit / 2;
        return Move{scroll->identity, offset, false};
    }
    // The target's place in the content, then the offset that puts it at the anchor.
    double inContent = target->frame.minY() - scroll->frame.minY() + scroll->scrollOffset;
    double wanted = inContent;
    if (anchor == ScrollAnchor::center) wanted = inContent + target->frame.height() / 2 - scroll->frame.height() / 2;
    if (anchor == ScrollAnchor::bottom) wanted = inContent + target->frame.height() - scroll->frame.height();
    return Move{scroll->identity, std::clamp(wanted, 0.0, limit), true};
}

std::optional<Scrolling::Move> Scrolling::wheel(const LayoutNode& layout, Point point, double deltaY) {
    const LayoutNode* innermost = nullptr;
    layout.forEach([&](const LayoutNode& node) {
        if (node.kind() == NodeKind::scroll && node.frame.contains(point)) innermost = &node;
    });
    if (!innermost) return std::nullopt;
    double limit = std::max(0.0, innermost->contentSize.height - innermost->frame.height());
    return Move{innermost->identity, std::clamp(innermost->scrollOffset - deltaY, 0.0, limit), false};
}

void Scrolling::animate(const Move& move, double from, double duration, ScrollViewProxy::Timing timing,
                        SetOffset setOffset) {
    using Function = appkit::AnimationContext::TimingFunction;
    appkit::AnimationContext::runAnimationGroup([&](appkit::AnimationContext& context) {
        context.duration = duration;
        context.timingFunction = timing == ScrollViewProxy::Timing::linear    ? Function::linear
                                 : timing == ScrollViewProxy::Timing::easeOut ? Function::easeOut
                                                                              : Function::easeInEaseOut;
        appkit::AnimationContext::animate(
            [scrollView = move.scrollView, from, to = move.offset, setOffset = std::move(setOffset)](double progress) {
                setOffset(scrollView, from + (to - from) * progress);
            });
    });
}

}  // namespace ui
