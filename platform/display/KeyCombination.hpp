#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace display {

// The key code of a key that has none of the platform's codes (one the layout remaps to type
// a character, a key the platform's keyboards lack): outside the codes of every physical key,
// so it is never taken for one and no hot key holds it, while its text still arrives.
inline constexpr std::uint16_t unnamedKeyCode = 0xFFFF;

// A key with Carbon modifiers, as a person presses it, written "shift+cmd+space": modifier
// names (shift, cmd/command, opt/option/alt, ctrl/control, fn, capslock) and one key name
// (a letter or digit of the US keyboard, a named key such as space, return, tab, escape,
// delete, forwarddelete, up/down/left/right, home, end, pageup, pagedown, help, f1…f20,
// keypad0…keypad9, keypadenter…, a punctuation character, or "code:N" for any key code).
struct KeyCombination {
    std::uint16_t keyCode = 0;
    std::uint32_t carbonModifiers = 0;

    // Nullopt for text that names no key or an unknown modifier.
    static std::optional<KeyCombination> parse(std::string_view text);
};

}  // namespace display
