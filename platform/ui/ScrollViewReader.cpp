#include "platform/ui/ScrollViewReader.hpp"

namespace ui {

void ScrollViewProxy::scrollTo(const std::string& id, ScrollAnchor anchor, std::optional<double> animationDuration,
                               Timing timing) const {
    if (auto controller = controller_.lock()) controller->scrollTo(reader_, id, anchor, animationDuration, timing);
}

Node ScrollViewReader(std::function<Node(const ScrollViewProxy&)> content) {
    return Node::make(NodeKind::scrollReader, ScrollReaderData{std::move(content)});
}

}  // namespace ui
