#include "platform/ui/HoverTracker.hpp"

#include <map>

namespace ui {

namespace {

using Actions = std::map<Identity, std::function<void(bool)>>;

void collect(const LayoutNode& node, const std::optional<Point>& point, Actions& all, Actions& under) {
    bool inside = point && node.frame.contains(*point);
    if (node.kind() == NodeKind::hover) {
        all.emplace(node.identity, node.data<HoverData>().action);
        if (inside) under.emplace(node.identity, node.data<HoverData>().action);
    }
    // What a clip cuts away is not under the pointer.
    bool clips = node.kind() == NodeKind::clip || node.kind() == NodeKind::scroll;
    for (const auto& child : node.children) collect(child, clips && !inside ? std::nullopt : point, all, under);
}

}  // namespace

std::vector<std::function<void()>> HoverTracker::move(const LayoutNode& root, std::optional<Point> point) {
    Actions all, under;
    collect(root, point, all, under);
    std::vector<std::function<void()>> due;
    for (const auto& identity : hovered_)
        if (!under.count(identity))
            if (auto found = all.find(identity); found != all.end() && found->second)
                due.push_back([action = found->second] { action(false); });
    for (const auto& [identity, action] : under)
        if (!hovered_.count(identity) && action) due.push_back([action = action] { action(true); });
    hovered_.clear();
    for (const auto& entry : under) hovered_.insert(entry.first);
    return due;
}

}  // namespace ui
