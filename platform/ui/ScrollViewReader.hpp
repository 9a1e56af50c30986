#pragma once

#include "platform/ui/Node.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

class Host;

enum class ScrollAnchor { top, center, bottom };

// What a scroll-view reader hands its content: scrollTo finds the node with the id in the
// first scroll view below the reader and scrolls it so that the node sits at the anchor
// (within the content's bounds). With a duration the scroll animates on the process clock
// with the timing given; otherwise it jumps. Holds the host weakly; main thread only.
class ScrollViewProxy {
public:
    enum class Timing { linear, easeOut, easeInEaseOut };

    ScrollViewProxy(std::weak_ptr<Host> host, std::string readerPath)
        : host_(std::move(host)), readerPath_(std::move(readerPath)) {}

    void scrollTo(const std::string& id, ScrollAnchor anchor = ScrollAnchor::center,
                  std::optional<double> animationDuration = std::nullopt, Timing timing = Timing::easeOut) const;

private:
    std::weak_ptr<Host> host_;
    std::string readerPath_;
};

Node ScrollViewReader(std::function<Node(const ScrollViewProxy&)> content);

}  // namespace ui
