#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace display {

// The platform's virtual key code of the key at a place of the keyboard, by its XKB key
// name ("AC01" is the key right of caps lock, the platform's A, 0). Key names describe
// places, not what the layout prints on them, as the virtual key codes do. Nullopt for
// keys the platform has no code for.
std::optional<std::uint16_t> virtualKeyCodeForXkbKeyName(std::string_view name);

}  // namespace display
