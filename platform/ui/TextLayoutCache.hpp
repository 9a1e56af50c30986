#pragma once

#include "platform/ui/TextLayout.hpp"

#include <cstddef>
#include <memory>
#include <string>

namespace ui {

// The text layouts measured or drawn lately, by text and style, so that a layout pass and
// the frames after it lay out each unchanged text once: pango's shaping and line breaking
// are most of what measuring and drawing text cost. A layout depends on nothing but its
// text, its style and the installed fonts, so an entry is never stale; the least recently
// used go once there are more than `capacity`. Main thread only, as pango's shared context.
class TextLayoutCache {
public:
    static constexpr std::size_t capacity = 512;

    // The layout of the text in the style, laid out now or earlier.
    static std::shared_ptr<const TextLayout> layout(const std::string& text, const TextStyle& style);
};

}  // namespace ui
