#include "GlobalShortcuts/SpecialKey.hpp"

#include "platform/carbon/UCKeyboardLayout.hpp"

#include <array>
#include <string>

namespace GlobalShortcuts {

namespace {

// The private-use characters the platform gives function and navigation keys.
std::string utf8(char32_t character) { return carbon::utf8FromUTF16(std::u16string(1, char16_t(character))); }

const std::array<SpecialKeyDetails, specialKeyCount>& table() {
    static const std::array<SpecialKeyDetails, specialKeyCount> entries = [] {
        std::array<SpecialKeyDetails, specialKeyCount> rows;
        auto same = [](std::int64_t code, std::string symbol, ui::KeyEquivalent swiftUI) {
            return SpecialKeyDetails{code, symbol, symbol, std::move(swiftUI)};
        };
        using ui::KeyEquivalent;
        std::size_t index = 0;
        rows[index++] = same(36, "↩", KeyEquivalent::return_());
        rows[index++] = same(51, "⌫", KeyEquivalent::delete_());
        rows[index++] = same(117, "⌦", KeyEquivalent::deleteForward());
        rows[index++] = same(119, "↘", KeyEquivalent::end());
        rows[index++] = same(53, "⎋", KeyEquivalent::escape());
        rows[index++] = same(114, "?\u20DD", KeyEquivalent{utf8(0xF746)});
        rows[index++] = same(115, "↖", KeyEquivalent::home());
        rows[index++] = SpecialKeyDetails{49, "", " ", KeyEquivalent::space()};
        rows[index++] = same(48, "⇥", KeyEquivalent::tab());
        rows[index++] = same(116, "⇞", KeyEquivalent::pageUp());
        rows[index++] = same(121, "⇟", KeyEquivalent::pageDown());
        rows[index++] = same(126, "↑", KeyEquivalent::upArrow());
        rows[index++] = same(124, "→", KeyEquivalent::rightArrow());
        rows[index++] = same(125, "↓", KeyEquivalent::downArrow());
        rows[index++] = same(123, "←", KeyEquivalent::leftArrow());
        const std::int64_t functionCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109,
                                              103, 111, 105, 107, 113, 106, 64,  79,  80,  90};
        for (int number = 1; number <= 20; ++number) {
            auto character = utf8(0xF704 + number - 1);
            rows[index++] = SpecialKeyDetails{functionCodes[number - 1], std::string("F").append(std::to_string(number)), character,
                                              KeyEquivalent{character}};
        }
        const std::int64_t keypadCodes[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
        for (int digit = 0; digit < 10; ++digit)
            rows[index++] = SpecialKeyDetails{keypadCodes[digit], std::to_string(digit) + "\u20E3", {}, {}};
        const std::pair<std::int64_t, const char*> keypadOthers[] = {
            {71, "\u2612\u20E3"}, {65, ".\u20E3"}, {75, "/\u20E3"}, {76, "\u21A9\u20E3"},
            {81, "=\u20E3"},      {78, "-\u20E3"}, {67, "*\u20E3"}, {69, "+\u20E3"}};
        for (auto [code, symbol] : keypadOthers) rows[index++] = SpecialKeyDetails{code, symbol, {}, {}};
        return rows;
    }();
    return entries;
}

}  // namespace

const SpecialKeyDetails& details(SpecialKey key) { return table()[static_cast<std::size_t>(key)]; }

const std::unordered_map<std::int64_t, SpecialKey>& keyToSpecialKeyMapping() {
    static const std::unordered_map<std::int64_t, SpecialKey> mapping = [] {
        std::unordered_map<std::int64_t, SpecialKey> pairs;
        for (int index = 0; index < specialKeyCount; ++index)
            pairs.emplace(table()[index].keyCode, static_cast<SpecialKey>(index));
        return pairs;
    }();
    return mapping;
}

}  // namespace GlobalShortcuts
