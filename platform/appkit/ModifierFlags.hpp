#pragma once

#include <cstdint>

namespace appkit {

// An event's modifier flags with the platform's bit values. A plain value type.
struct ModifierFlags {
    std::uint64_t rawValue = 0;

    static constexpr std::uint64_t capsLock = 0x10000;
    static constexpr std::uint64_t shift = 0x20000;
    static constexpr std::uint64_t control = 0x40000;
    static constexpr std::uint64_t option = 0x80000;
    static constexpr std::uint64_t command = 0x100000;
    static constexpr std::uint64_t numericPad = 0x200000;
    static constexpr std::uint64_t help = 0x400000;
    static constexpr std::uint64_t function = 0x800000;
    static constexpr std::uint64_t deviceIndependentFlagsMask = 0xFFFF0000;

    constexpr ModifierFlags() = default;
    constexpr explicit ModifierFlags(std::uint64_t value) : rawValue(value) {}

    constexpr bool contains(std::uint64_t flags) const { return (rawValue & flags) == flags; }
    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr ModifierFlags intersection(std::uint64_t mask) const { return ModifierFlags(rawValue & mask); }
    constexpr ModifierFlags subtracting(std::uint64_t flags) const { return ModifierFlags(rawValue & ~flags); }
    constexpr ModifierFlags adding(std::uint64_t flags) const { return ModifierFlags(rawValue | flags); }

    friend constexpr bool operator==(ModifierFlags, ModifierFlags) = default;
};

}  // namespace appkit
