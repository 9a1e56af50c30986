#include "platform/ui/HitTest.hpp"

#include <algorithm>

namespace ui {

namespace {

bool isDrawn(const LayoutNode& node) {
    switch (node.kind()) {
    case NodeKind::shape: {
        // Clear paint takes no clicks, as on the platform; a content shape gives them.
        const auto& fill = node.data<ShapeData>().fill;
        return !(fill && fill->isClear());
    }
    case NodeKind::text:
    case NodeKind::image:
    case NodeKind::symbol:
    case NodeKind::divider:
    case NodeKind::representable:
    case NodeKind::contentShape:
    case NodeKind::toggle:
        return true;
    default:
        return false;
    }
}

// The chain from the root to the frontmost drawn node under the point.
bool hitChain(const LayoutNode& node, Point point, std::vector<const LayoutNode*>& chain) {
    if ((node.kind() == NodeKind::clip || node.kind() == NodeKind::scroll) && !node.frame.contains(point)) return false;
    chain.push_back(&node);
    std::vector<const LayoutNode*> order;
    for (const auto& child : node.children) order.push_back(&child);
    // Later children are drawn in front, except a background's decoration, drawn behind.
    if (node.kind() != NodeKind::background) std::reverse(order.begin(), order.end());
    for (const auto* child : order)
        if (hitChain(*child, point, chain)) return true;
    if (isDrawn(node) && node.frame.contains(point)) return true;
    chain.pop_back();
    return false;
}

std::function<void()> actionOf(const LayoutNode& node) {
    if (!node.environment.isEnabled) return nullptr;  // a disabled control still takes the click
    switch (node.kind()) {
    case NodeKind::toggle: {
        const auto& toggle = node.data<ToggleData>();
        if (!toggle.isOn || !toggle.setOn) return nullptr;
        return [toggle] { toggle.setOn(!toggle.isOn()); };
    }
    case NodeKind::button:
        return node.data<ButtonData>().action;
    case NodeKind::tap:
        return node.data<TapData>().action;
    default:
        return nullptr;
    }
}

}  // namespace

std::vector<std::function<void()>> HitTest::actionsAt(const LayoutNode& root, Point point) {
    std::vector<const LayoutNode*> chain;
    std::vector<std::function<void()>> actions;
    if (!hitChain(root, point, chain)) return actions;
    bool exclusiveTaken = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const LayoutNode& node = **it;
        bool tap = node.kind() == NodeKind::tap;
        bool simultaneous = tap && node.data<TapData>().kind == TapData::Kind::simultaneous;
        bool exclusive = node.kind() == NodeKind::button || node.kind() == NodeKind::toggle || (tap && !simultaneous);
        if ((!exclusive || exclusiveTaken) && !simultaneous) continue;
        if (auto action = actionOf(node)) actions.push_back(std::move(action));
        if (exclusive) exclusiveTaken = true;
    }
    return actions;
}

}  // namespace ui
