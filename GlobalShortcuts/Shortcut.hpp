#pragma once

#include "GlobalShortcuts/Key.hpp"
#include "GlobalShortcuts/SpecialKey.hpp"
#include "platform/appkit/Event.hpp"
#include "platform/appkit/Menu.hpp"
#include "platform/appkit/ModifierFlags.hpp"
#include "platform/foundation/Expected.hpp"
#include "platform/ui/KeyboardShortcut.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace GlobalShortcuts {

// One key with Carbon modifier bits: the value every part of the package passes around and
// the form in which a shortcut is stored (JSON with "carbonKeyCode" and "carbonModifiers").
// A plain value; the layout-dependent texts read the current keyboard layout afresh on the
// main thread.
struct Shortcut {
    std::int64_t carbonKeyCode = 0;
    std::int64_t carbonModifiers = 0;

    // Keeps only the command, shift, option, control and function bits of the modifiers.
    Shortcut(std::int64_t carbonKeyCode, std::int64_t carbonModifiers);
    explicit Shortcut(Key key, appkit::ModifierFlags modifiers = {});
    // From a key-down or key-up event, without the function modifier; none for other events.
    static std::optional<Shortcut> fromEvent(const appkit::Event& event);

    Key key() const { return Key(carbonKeyCode); }
    appkit::ModifierFlags modifiers() const;

    // Modifier symbols followed by the key's symbol or, for other keys, its capitalized
    // character on the current layout (U+FFFD when it has none).
    std::string description() const;
    // The key equivalent a menu item needs to show this shortcut.
    std::optional<std::string> nsMenuItemKeyEquivalent() const;
    // The first item of the menu or its submenus (depth first) that uses this shortcut.
    std::shared_ptr<appkit::MenuItem> menuItemWithMatchingShortcut(const appkit::Menu& menu) const;
    // The same search in the application's main menu; none without one.
    std::shared_ptr<appkit::MenuItem> takenByMainMenu() const;
    // The declarative keyboard shortcut; none for keypad keys and keys without a character.
    std::optional<ui::KeyboardShortcut> toSwiftUI() const;

    // Whether the process runs in an app sandbox; decided once.
    static bool isSandboxed();
    static std::string specialKeyString(SpecialKey key);
    // What the key types without modifiers on the current layout, when that is exactly one
    // character.
    static std::optional<std::string> keyToCharacter(std::int64_t keyCode);

    // Writes "carbonKeyCode" then "carbonModifiers".
    std::string encodeJSON() const;
    // Reads both members as integers and keeps them unchanged; the reason when the text is
    // not such an object.
    static foundation::Expected<Shortcut> decodeJSON(std::string_view json);

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    struct Unnormalised {};
    Shortcut(Unnormalised, std::int64_t carbonKeyCode, std::int64_t carbonModifiers);
};

}  // namespace GlobalShortcuts

template <>
struct std::hash<GlobalShortcuts::Shortcut> {
    std::size_t operator()(const GlobalShortcuts::Shortcut& shortcut) const noexcept {
        std::size_t seed = std::hash<std::int64_t>()(shortcut.carbonKeyCode);
        return seed ^ (std::hash<std::int64_t>()(shortcut.carbonModifiers) + 0x9e3779b97f4a7c15ULL + (seed << 6) +
                       (seed >> 2));
    }
};
