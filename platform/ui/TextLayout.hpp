#pragma once

#include "platform/ui/Types.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

using PangoLayout = struct _PangoLayout;

namespace ui {

struct TextStyle {
    Font font;
    std::optional<double> width;    // wrap at this width; nullopt: one unwrapped line
    std::optional<int> lineLimit;   // lines beyond are cut, the last one ending in "…"
    TextAlignment alignment = TextAlignment::leading;
    double letterSpacing = 0;
};

// Text laid out with pango (DejaVu Sans, Noto Sans CJK for Chinese and Japanese, and for
// emoji the colour font fontconfig falls back to, Noto Color Emoji): its size in points
// (1 point = 1 pixel) and the pango layout the renderer draws. Main thread only.
class TextLayout {
public:
    TextLayout(const std::string& text, const TextStyle& style);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    Size size() const { return size_; }
    int lineCount() const;
    // Characters no installed font can draw (shown as boxes).
    int unknownGlyphCount() const;
    // The distance from the top of the text to the baseline of its first line.
    double firstBaseline() const;
    // The x of each caret position of the first line, one per Unicode scalar boundary from
    // before the first to after the last, measured from the layout's left edge.
    std::vector<double> caretOffsets() const;
    PangoLayout* layout() const { return layout_; }

private:
    PangoLayout* layout_ = nullptr;
    Size size_;
};

}  // namespace ui
