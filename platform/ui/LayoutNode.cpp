#include "platform/ui/LayoutNode.hpp"

namespace ui {

const LayoutNode* LayoutNode::find(const std::function<bool(const LayoutNode&)>& predicate) const {
    if (predicate(*this)) return this;
    for (const auto& child : children)
        if (const auto* found = child.find(predicate)) return found;
    return nullptr;
}

void LayoutNode::forEach(const std::function<void(const LayoutNode&)>& visit) const {
    visit(*this);
    for (const auto& child : children) child.forEach(visit);
}

}  // namespace ui
