#pragma once

#include "platform/ui/Identity.hpp"
#include "platform/ui/LayoutNode.hpp"
#include "platform/ui/ScrollViewReader.hpp"

#include <functional>
#include <optional>
#include <string>

namespace ui {

// Where a reader's scroll request takes a scroll view, worked out on the last layout, and
// how the offset gets there. Main thread only; stateless.
class Scrolling {
public:
    struct Move {
        Identity scrollView;
        double offset = 0;      // the content's new scroll offset
        bool animates = false;  // false: the request jumps whatever its duration
    };
    using SetOffset = std::function<void(const Identity& scrollView, double offset)>;

    // The first scroll view below the reader and the offset that puts the node with the id
    // at the anchor, never past either end of the content. An id around the scroll view
    // (the scroll view or something holding it) takes the content's top, middle or end.
    // Nothing when the reader holds no scroll view or the id is nowhere to be found.
    static std::optional<Move> plan(const LayoutNode& layout, const Identity& reader, const std::string& id,
                                    ScrollAnchor anchor);
    // The innermost scroll view under the point and its offset after a turn of the wheel,
    // within the content; nothing when no scroll view is under the point.
    static std::optional<Move> wheel(const LayoutNode& layout, Point point, double deltaY);
    // Moves the offset from where it is to the move's over the duration on the process
    // clock, one step per animation frame.
    static void animate(const Move& move, double from, double duration, ScrollViewProxy::Timing timing, SetOffset setOffset);
};

}  // namespace ui
