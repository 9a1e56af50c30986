#pragma once

#include "platform/appkit/ModifierFlags.hpp"
#include "platform/ui/EventModifiers.hpp"

#include <cstdint>
#include <string>

namespace GlobalShortcuts {

// Conversions between event modifier flags and Carbon modifier bits. Only command, shift,
// option, control and function cross in either direction; every other bit is dropped.
std::int64_t carbonModifiers(appkit::ModifierFlags flags);
appkit::ModifierFlags modifierFlagsFromCarbon(std::int64_t carbonModifiers);

// The modifier symbols in the platform's order: control, option, shift, command, function.
std::string symbolicRepresentation(appkit::ModifierFlags flags);

// The declarative modifiers of the flags (caps lock, command, control, numeric pad, option,
// shift, function); other flags are dropped.
ui::EventModifiers toEventModifiers(appkit::ModifierFlags flags);

// The declarative modifier that stands for the function key (raw value 64).
inline constexpr std::int32_t functionEventModifier = 64;

}  // namespace GlobalShortcuts
