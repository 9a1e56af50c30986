#pragma once

#include <cstdint>

namespace ui {

// The modifier keys of a declarative keyboard shortcut, with the platform's raw values.
struct EventModifiers {
    std::int32_t rawValue = 0;

    static constexpr std::int32_t capsLock = 1 << 0;
    static constexpr std::int32_t shift = 1 << 1;
    static constexpr std::int32_t control = 1 << 2;
    static constexpr std::int32_t option = 1 << 3;
    static constexpr std::int32_t command = 1 << 4;
    static constexpr std::int32_t numericPad = 1 << 5;

    constexpr EventModifiers() = default;
    constexpr explicit EventModifiers(std::int32_t value) : rawValue(value) {}
    constexpr bool contains(std::int32_t flags) const { return (rawValue & flags) == flags; }
    friend constexpr bool operator==(EventModifiers, EventModifiers) = default;
};

}  // namespace ui
