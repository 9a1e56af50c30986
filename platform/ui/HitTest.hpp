#pragma once

#include "platform/ui/LayoutNode.hpp"

#include <functional>
#include <vector>

namespace ui {

// What a click at a point of a laid-out tree does: the button, toggle or exclusive tap
// gesture nearest above the frontmost drawn content under the point (text, image, symbol,
// shape not painted clear, divider, hosted view, toggle, or a content shape), plus every
// simultaneous tap gesture around it. Clipped and scrolled content outside its clip takes
// no clicks. Main thread only; stateless.
class HitTest {
public:
    // The actions to run, innermost first; empty when nothing under the point takes clicks.
    static std::vector<std::function<void()>> actionsAt(const LayoutNode& root, Point point);
};

}  // namespace ui
