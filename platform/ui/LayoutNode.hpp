#pragma once

#include "platform/appkit/View.hpp"
#include "platform/ui/Identity.hpp"
#include "platform/ui/Node.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// A node after the host expanded it: views replaced by their bodies, asynchronous images
// by their current content, hosted AppKit views attached, with each node's identity.
struct ResolvedNode {
    Node node;
    Identity identity;
    std::vector<ResolvedNode> children;
    std::shared_ptr<appkit::View> hostedView;
    double scrollOffset = 0;  // scroll views: how far the content is scrolled up
    double presence = 1;      // transitions: 0 gone, 1 fully there
};

// A node with its frame in points, in the host's coordinates (origin at the top left, y
// growing down), and the environment it is drawn in.
struct LayoutNode {
    Node node;
    Identity identity;
    Rect frame;
    EnvironmentValues environment;
    std::shared_ptr<appkit::View> hostedView;
    std::vector<LayoutNode> children;
    Size contentSize;         // scroll views: the size of what they scroll
    double scrollOffset = 0;  // scroll views: how far the content is scrolled up
    double presence = 1;  // transitions: 0 gone, 1 fully there

    NodeKind kind() const { return node.kind(); }
    template <class Payload>
    const Payload& data() const {
        return node.data<Payload>();
    }
    // Depth-first search, this node first.
    const LayoutNode* find(const std::function<bool(const LayoutNode&)>& predicate) const;
    void forEach(const std::function<void(const LayoutNode&)>& visit) const;
};

}  // namespace ui
