#pragma once

#include <cstdint>

namespace appkit {

// Event types with the platform's numbers.
enum class EventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    mouseEntered = 8,
    mouseExited = 9,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    appKitDefined = 13,
    systemDefined = 14,
    applicationDefined = 15,
    periodic = 16,
    cursorUpdate = 17,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
};

// A set of event types: bit n stands for type n.
using EventTypeMask = std::uint64_t;

inline constexpr EventTypeMask NSEventMaskAny = ~EventTypeMask{0};

// The mask bit of a type. A type number beyond the mask's 64 bits has no bit of its own and
// is taken to be in every mask.
constexpr EventTypeMask eventMaskFromType(EventType type) {
    auto number = static_cast<std::uint32_t>(type);
    return number < 64 ? EventTypeMask{1} << number : NSEventMaskAny;
}

constexpr bool maskContains(EventTypeMask mask, EventType type) { return (mask & eventMaskFromType(type)) != 0; }

}  // namespace appkit
