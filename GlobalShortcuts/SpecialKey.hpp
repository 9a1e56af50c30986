#pragma once

#include "platform/ui/KeyEquivalent.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace GlobalShortcuts {

// The keys whose text is not taken from the keyboard layout, in table order.
enum class SpecialKey {
    return_, delete_, deleteForward, end, escape, help, home, space, tab, pageUp, pageDown,
    upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus, keypadMultiply, keypadPlus,
};

inline constexpr int specialKeyCount = 53;

struct SpecialKeyDetails {
    std::int64_t keyCode;
    std::string displaySymbol;                 // empty for space, whose text is localized
    std::optional<std::string> menuKeyEquivalent;
    std::optional<ui::KeyEquivalent> swiftUIKeyEquivalent;
};

const SpecialKeyDetails& details(SpecialKey key);

// Key code → special key; built once on first use, never changed. Safe from any thread.
const std::unordered_map<std::int64_t, SpecialKey>& keyToSpecialKeyMapping();

}  // namespace GlobalShortcuts
