#include "platform/ui/TextLayout.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <pango/pangocairo.h>

#include <cmath>
#include <string_view>

namespace ui {

namespace {

PangoContext* sharedContext() {
    static PangoContext* context = [] {
        PangoContext* made = pango_font_map_create_context(pango_cairo_font_map_get_default());
        // Whole-pixel metrics keep sizes and screenshots the same from run to run.
        auto* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(made, options);
        cairo_font_options_destroy(options);
        return made;
    }();
    return context;
}

PangoWeight pangoWeight(Font::Weight weight) {
    switch (weight) {
    case Font::Weight::regular: return PANGO_WEIGHT_NORMAL;
    case Font::Weight::medium: return PANGO_WEIGHT_MEDIUM;
    case Font::Weight::semibold: return PANGO_WEIGHT_SEMIBOLD;
    case Font::Weight::bold: return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

}  // namespace

TextLayout::TextLayout(const std::string& text, const TextStyle& style) {
    dispatch::checkMainThread();  // pango's shared context is not thread-safe
    layout_ = pango_layout_new(sharedContext());
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, style.font.design == Font::Design::monospaced
                                                       ? "DejaVu Sans Mono,Noto Sans Mono CJK JP"
                                                       : "DejaVu Sans,Noto Sans CJK JP");
    pango_font_description_set_weight(description, pangoWeight(style.font.weight));
    pango_font_description_set_absolute_size(description, style.font.pointSize * PANGO_SCALE);
    pango_layout_set_font_description(layout_, description);
    pango_font_description_free(description);

    pango_layout_set_text(layout_, text.c_str(), static_cast<int>(text.size()));
    if (style.letterSpacing != 0) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(static_cast<int>(style.letterSpacing * PANGO_SCALE)));
        pango_layout_set_attributes(layout_, attributes);
        pango_attr_list_unref(attributes);
    }
    switch (style.alignment) {
    case TextAlignment::leading: pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT); break;
    case TextAlignment::center: pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER); break;
    case TextAlignment::trailing: pango_layout_set_alignment(layout_, PANGO_ALIGN_RIGHT); break;
    }
    if (style.width) {
        // Pango breaks lines counting the spacing after a line's last character, which it
        // then trims from the line: without that allowance, spaced text wraps at its own width.
        double wrapWidth = std::max(0.0, *style.width + style.letterSpacing);
        pango_layout_set_width(layout_, static_cast<int>(wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    }
    if (style.lineLimit) {
        if (*style.lineLimit == 1 && !style.width) pango_layout_set_width(layout_, -1);
        pango_layout_set_height(layout_, -std::max(1, *style.lineLimit));
        pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
    }
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout_, nullptr, &logical);
    size_ = {std::ceil(static_cast<double>(logical.width)), std::ceil(static_cast<double>(logical.height))};
    if (style.width) size_.width = std::min(size_.width, std::ceil(std::max(0.0, *style.width)));
}

TextLayout::~TextLayout() { g_object_unref(layout_); }

int TextLayout::lineCount() const { return pango_layout_get_line_count(layout_); }

int TextLayout::unknownGlyphCount() const { return pango_layout_get_unknown_glyphs_count(layout_); }

}  // namespace ui

namespace ui {

double TextLayout::firstBaseline() const { return static_cast<double>(pango_layout_get_baseline(layout_)) / PANGO_SCALE; }

std::vector<double> TextLayout::caretOffsets() const {
    std::string_view text = pango_layout_get_text(layout_);
    std::vector<double> offsets;
    for (std::size_t index = 0; index <= text.size(); ++index) {
        if (index < text.size() && (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80) continue;  // inside a scalar
        PangoRectangle caret;
        pango_layout_get_cursor_pos(layout_, static_cast<int>(index), &caret, nullptr);
        offsets.push_back(static_cast<double>(caret.x) / PANGO_SCALE);
    }
    return offsets;
}

}  // namespace ui
