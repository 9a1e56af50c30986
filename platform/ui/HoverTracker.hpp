#pragma once

#include "platform/ui/LayoutNode.hpp"

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace ui {

// Follows the pointer over a laid-out tree for its hover actions (`onHover`): a node is
// under the pointer while the point is inside its frame and no clip around it cuts it
// away. Main thread only; a host owns one for its tree.
class HoverTracker {
public:
    // The pointer is at the point (none: it left the tree). Answers the actions that became
    // due, those of the nodes it left before those of the nodes it came into; the caller
    // runs them, as they may change the tree.
    std::vector<std::function<void()>> move(const LayoutNode& root, std::optional<Point> point);

private:
    std::set<Identity> hovered_;
};

}  // namespace ui
