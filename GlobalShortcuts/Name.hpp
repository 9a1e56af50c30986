#pragma once

#include "GlobalShortcuts/Shortcut.hpp"

#include <functional>
#include <optional>
#include <string>

namespace GlobalShortcuts {

// A named global shortcut. The raw value is its whole identity: Names with the same string
// are equal whatever their defaults. Building one with a default stores the default when
// the store has nothing for it, and every Name built starts the menu-tracking observers
// once. A value type; build and use it on the main thread.
class Name {
public:
    explicit Name(std::string rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    const std::string& rawValue() const { return rawValue_; }
    const std::optional<Shortcut>& defaultShortcut() const { return defaultShortcut_; }

    // The stored shortcut, read afresh.
    std::optional<Shortcut> shortcut() const;
    // Stores the shortcut, or clears it with none.
    void setShortcut(std::optional<Shortcut> shortcut) const;

    friend bool operator==(const Name& left, const Name& right) { return left.rawValue_ == right.rawValue_; }

private:
    std::string rawValue_;
    std::optional<Shortcut> defaultShortcut_;
};

}  // namespace GlobalShortcuts

template <>
struct std::hash<GlobalShortcuts::Name> {
    std::size_t operator()(const GlobalShortcuts::Name& name) const noexcept {
        return std::hash<std::string>()(name.rawValue());
    }
};
