#pragma once

#include "platform/ui/Identity.hpp"
#include "platform/ui/Node.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

class ScrollController;

enum class ScrollAnchor { top, center, bottom };

// What a scroll-view reader hands its content: scrollTo finds the node with the id in the
// first scroll view below the reader and scrolls it so that the node sits at the anchor
// (within the content's bounds). With a duration the scroll animates on the process clock
// with the timing given; otherwise it jumps. Holds its controller (the host) weakly; main
// thread only.
class ScrollViewProxy {
public:
    enum class Timing { linear, easeOut, easeInEaseOut };

    ScrollViewProxy(std::weak_ptr<ScrollController> controller, Identity reader)
        : controller_(std::move(controller)), reader_(std::move(reader)) {}

    void scrollTo(const std::string& id, ScrollAnchor anchor = ScrollAnchor::center,
                  std::optional<double> animationDuration = std::nullopt, Timing timing = Timing::easeOut) const;

private:
    std::weak_ptr<ScrollController> controller_;
    Identity reader_;
};

// What carries out a reader's scroll requests (the host of the tree). Main thread only.
class ScrollController {
public:
    virtual void scrollTo(const Identity& reader, const std::string& id, ScrollAnchor anchor,
                          std::optional<double> animationDuration, ScrollViewProxy::Timing timing) = 0;

protected:
    ~ScrollController() = default;
};

Node ScrollViewReader(std::function<Node(const ScrollViewProxy&)> content);

}  // namespace ui
