#include "GlobalShortcuts/ModifierFlagsConversion.hpp"

#include "platform/carbon/CarbonTypes.hpp"

#include <array>
#include <utility>

namespace GlobalShortcuts {

namespace {

using appkit::ModifierFlags;

constexpr std::array<std::pair<std::uint64_t, std::int64_t>, 5> flagToCarbon{{
    {ModifierFlags::command, carbon::cmdKey},
    {ModifierFlags::shift, carbon::shiftKey},
    {ModifierFlags::option, carbon::optionKey},
    {ModifierFlags::control, carbon::controlKey},
    {ModifierFlags::function, carbon::kEventKeyModifierFnMask},
}};

}  // namespace

std::int64_t carbonModifiers(ModifierFlags flags) {
    std::int64_t result = 0;
    for (auto [flag, bit] : flagToCarbon)
        if (flags.contains(flag)) result |= bit;
    return result;
}

ModifierFlags modifierFlagsFromCarbon(std::int64_t carbonModifiers) {
    std::uint64_t result = 0;
    for (auto [flag, bit] : flagToCarbon)
        if (carbonModifiers & bit) result |= flag;
    return ModifierFlags(result);
}

std::string symbolicRepresentation(ModifierFlags flags) {
    std::string symbols;
    if (flags.contains(ModifierFlags::control)) symbols += "⌃";
    if (flags.contains(ModifierFlags::option)) symbols += "⌥";
    if (flags.contains(ModifierFlags::shift)) symbols += "⇧";
    if (flags.contains(ModifierFlags::command)) symbols += "⌘";
    if (flags.contains(ModifierFlags::function)) symbols += "\U0001F310\uFE0E";
    return symbols;
}

ui::EventModifiers toEventModifiers(ModifierFlags flags) {
    std::int32_t result = 0;
    if (flags.contains(ModifierFlags::capsLock)) result |= ui::EventModifiers::capsLock;
    if (flags.contains(ModifierFlags::command)) result |= ui::EventModifiers::command;
    if (flags.contains(ModifierFlags::control)) result |= ui::EventModifiers::control;
    if (flags.contains(ModifierFlags::numericPad)) result |= ui::EventModifiers::numericPad;
    if (flags.contains(ModifierFlags::option)) result |= ui::EventModifiers::option;
    if (flags.contains(ModifierFlags::shift)) result |= ui::EventModifiers::shift;
    if (flags.contains(ModifierFlags::function)) result |= functionEventModifier;
    return ui::EventModifiers(result);
}

}  // namespace GlobalShortcuts
