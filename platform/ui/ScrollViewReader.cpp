#include "platform/ui/ScrollViewReader.hpp"

#include "platform/ui/Host.hpp"

namespace ui {

void ScrollViewProxy::scrollTo(const std::string& id, ScrollAnchor anchor, std::optional<double> animationDuration,
                               Timing timing) const {
    if (auto host = host_.lock()) host->scrollTo(readerPath_, id, anchor, animationDuration, timing);
}

Node ScrollViewReader(std::function<Node(const ScrollViewProxy&)> content) {
    return Node::make(NodeKind::scrollReader, ScrollReaderData{std::move(content)});
}

}  // namespace ui
