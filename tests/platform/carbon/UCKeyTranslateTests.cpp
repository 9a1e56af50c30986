#include "platform/carbon/StandardKeyboardLayouts.hpp"
#include "platform/carbon/UCKeyboardLayout.hpp"

#include <gtest/gtest.h>

namespace {

using namespace carbon;

struct Typed {
    OSStatus status = noErr;
    std::string text;
};

Typed type(const UCKeyboardLayout& layout, UInt16 keyCode, UInt32 carbonModifiers, UInt32* deadKeyState,
           UInt16 action = kUCKeyActionDown, OptionBits options = 0, UniCharCount room = 4) {
    UniChar buffer[8] = {};
    UniCharCount length = 99;
    Typed typed;
    typed.status = UCKeyTranslate(&layout, keyCode, action, (carbonModifiers >> 8) & 0xFF, LMGetKbdType(), options,
                                  deadKeyState, room, &length, buffer);
    typed.text = utf8FromUTF16(std::u16string_view(buffer, typed.status == noErr ? length : 0));
    return typed;
}

struct KeyCase {
    const char* layout;
    UInt16 keyCode;
    UInt32 modifiers;
    const char* expected;
};

TEST(UCKeyTranslate, TypesEachLayersCharacterOnBothLayouts) {
    auto us = makeUSKeyboardLayout();
    auto german = makeGermanKeyboardLayout();
    const KeyCase cases[] = {
        {"us", 0, 0, "a"},          {"us", 0, shiftKey, "A"},       {"us", 0, optionKey, "å"},
        {"us", 0, shiftKey | optionKey, "Å"}, {"us", 0, alphaLock, "A"}, {"us", 18, shiftKey, "!"},
        {"us", 6, 0, "z"},          {"us", 16, 0, "y"},             {"us", 49, cmdKey | shiftKey, " "},
        {"us", 36, optionKey, "\r"}, {"de", 6, 0, "y"},             {"de", 16, 0, "z"},
        {"de", 41, 0, "ö"},         {"de", 41, shiftKey, "Ö"},      {"de", 27, 0, "ß"},
        {"de", 37, optionKey, "@"}, {"de", 19, shiftKey, "\""},     {"de", 50, 0, "<"},
    };
    for (const auto& entry : cases) {
        UInt32 deadKeys = 0;
        const auto& layout = std::string(entry.layout) == "us" ? *us : *german;
        auto typed = type(layout, entry.keyCode, entry.modifiers, &deadKeys);
        EXPECT_EQ(typed.status, noErr) << entry.layout << " " << entry.keyCode;
        EXPECT_EQ(typed.text, entry.expected) << entry.layout << " key " << entry.keyCode << " modifiers "
                                              << entry.modifiers;
        EXPECT_EQ(deadKeys, 0u);
    }
}

TEST(UCKeyTranslate, DeadKeyWaitsThenComposesWithTheNextKey) {
    auto us = makeUSKeyboardLayout();
    UInt32 deadKeys = 0;
    auto first = type(*us, 14, optionKey, &deadKeys);  // option-e: acute accent
    EXPECT_EQ(first.status, noErr);
    EXPECT_EQ(first.text, "");
    EXPECT_NE(deadKeys, 0u);
    EXPECT_EQ(type(*us, 14, 0, &deadKeys).text, "é");
    EXPECT_EQ(deadKeys, 0u);

    // A key that does not compose types the accent and then itself.
    type(*us, 14, optionKey, &deadKeys);
    EXPECT_EQ(type(*us, 7, 0, &deadKeys).text, "´x");
}

TEST(UCKeyTranslate, GermanAccentKeyIsDeadAndTheDisplayActionTypesNothing) {
    auto german = makeGermanKeyboardLayout();
    UInt32 deadKeys = 0;
    auto typed = type(*german, 24, 0, &deadKeys, kUCKeyActionDisplay);
    EXPECT_EQ(typed.status, noErr);
    EXPECT_EQ(typed.text, "");
    EXPECT_EQ(type(*german, 31, 0, &deadKeys).text, "ó");

    UInt32 fresh = 0;
    EXPECT_EQ(type(*german, 10, 0, &fresh, kUCKeyActionDown, kUCKeyTranslateNoDeadKeysMask).text, "^");
    EXPECT_EQ(fresh, 0u);
}

TEST(UCKeyTranslate, KeyUpUnknownKeysAndShortBuffers) {
    auto us = makeUSKeyboardLayout();
    UInt32 deadKeys = 0;
    EXPECT_EQ(type(*us, 0, 0, &deadKeys, kUCKeyActionUp).text, "");
    auto unknown = type(*us, 10, 0, &deadKeys);  // the ISO key an ANSI keyboard lacks
    EXPECT_EQ(unknown.status, noErr);
    EXPECT_EQ(unknown.text, "");

    UCKeyboardLayout wide("wide");
    wide.key(0, "abcde");
    EXPECT_EQ(type(wide, 0, 0, &deadKeys, kUCKeyActionDown, 0, 4).status, kUCOutputBufferTooSmall);
    EXPECT_EQ(type(wide, 0, 0, &deadKeys, kUCKeyActionDown, 0, 8).text, "abcde");

    UniCharCount length = 0;
    EXPECT_EQ(UCKeyTranslate(nullptr, 0, kUCKeyActionDown, 0, 0, 0, &deadKeys, 4, &length, nullptr), paramErr);
}

}  // namespace
