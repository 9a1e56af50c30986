#include "platform/carbon/CarbonTypes.hpp"
#include "platform/display/KeyCombination.hpp"

#include <gtest/gtest.h>

namespace {

using display::KeyCombination;

TEST(KeyCombination, ParsesModifiersAndKeyNames) {
    struct Case {
        const char* text;
        std::uint16_t keyCode;
        std::uint32_t modifiers;
    };
    const Case cases[] = {
        {"shift+cmd+space", 49, carbon::shiftKey | carbon::cmdKey},
        {"Command+Shift+K", 40, carbon::cmdKey | carbon::shiftKey},
        {"ctrl+opt+shift+cmd+a", 0, carbon::controlKey | carbon::optionKey | carbon::shiftKey | carbon::cmdKey},
        {"f12", 111, 0},
        {"fn+f5", 96, carbon::kEventKeyModifierFnMask},
        {"keypad5", 87, 0},
        {"cmd+,", 43, carbon::cmdKey},
        {"escape", 53, 0},
        {"code:10", 10, 0},
    };
    for (const auto& entry : cases) {
        auto parsed = KeyCombination::parse(entry.text);
        ASSERT_TRUE(parsed) << entry.text;
        EXPECT_EQ(parsed->keyCode, entry.keyCode) << entry.text;
        EXPECT_EQ(parsed->carbonModifiers, entry.modifiers) << entry.text;
    }
}

TEST(KeyCombination, RefusesUnknownNames) {
    for (const char* text : {"", "cmd+", "hyper+a", "cmd+shift", "code:70000", "code:x", "f21"})
        EXPECT_FALSE(KeyCombination::parse(text)) << text;
}

}  // namespace
