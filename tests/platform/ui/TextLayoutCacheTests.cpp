#include "platform/ui/TextLayoutCache.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ui;

// A layout kept for one style must never stand in for another: each kept layout measures
// as one made afresh, and differs from the first wherever the style does.
TEST(TextLayoutCache, EveryStyleGetsItsOwnLayoutAndAnUnchangedTextItsKeptOne) {
    const std::string text = "Notes Api Project Kitchen Design - Gitforge";
    const TextStyle plain{Font::systemFontOfSize(15), 200.0, std::nullopt, TextAlignment::leading, 0};
    auto variant = [&](auto change) {
        TextStyle style = plain;
        change(style);
        return style;
    };
    const std::vector<TextStyle> styles = {
        plain,
        variant([](TextStyle& s) { s.width = 90.0; }),
        variant([](TextStyle& s) { s.width = std::nullopt; }),
        variant([](TextStyle& s) { s.lineLimit = 1; }),
        variant([](TextStyle& s) { s.font.pointSize = 20; }),
        variant([](TextStyle& s) { s.font.weight = Font::Weight::bold; }),
        variant([](TextStyle& s) { s.font.design = Font::Design::monospaced; }),
        variant([](TextStyle& s) { s.letterSpacing = 2; }),
        variant([](TextStyle& s) { s.alignment = TextAlignment::trailing; }),
    };
    auto first = TextLayoutCache::layout(text, plain);
    for (std::size_t index = 0; index < styles.size(); ++index) {
        auto kept = TextLayoutCache::layout(text, styles[index]);
        TextLayout fresh(text, styles[index]);
        EXPECT_EQ(kept->size(), fresh.size()) << index;
        EXPECT_EQ(kept->lineCount(), fresh.lineCount()) << index;
        EXPECT_EQ(kept->caretOffsets(), fresh.caretOffsets()) << index;
        if (index > 0) {
            EXPECT_NE(kept, first) << index;
            EXPECT_TRUE(kept->size() != first->size() || kept->caretOffsets() != first->caretOffsets()) << index;
        }
    }
    EXPECT_EQ(TextLayoutCache::layout(text, plain), first);
    EXPECT_NE(TextLayoutCache::layout(text + "!", plain), first);
}
