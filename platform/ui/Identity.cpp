#include "platform/ui/Identity.hpp"

#include "platform/ui/Node.hpp"

#include <algorithm>

namespace ui {

Identity Identity::child(Step step) const {
    Identity identity = *this;
    identity.steps_.push_back(std::move(step));
    return identity;
}

Identity Identity::child(const Node& node, std::size_t index) const {
    if (node.kind() == NodeKind::identified) return child(ExplicitId{node.data<IdentifiedData>().id});
    return child(Position{index, node.kind()});
}

Identity Identity::parent() const {
    Identity identity = *this;
    if (!identity.steps_.empty()) identity.steps_.pop_back();
    return identity;
}

bool Identity::isWithin(const Identity& ancestor) const {
    return ancestor.steps_.size() <= steps_.size() &&
           std::equal(ancestor.steps_.begin(), ancestor.steps_.end(), steps_.begin());
}

}  // namespace ui
