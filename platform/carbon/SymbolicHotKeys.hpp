#pragma once

#include "platform/carbon/CarbonTypes.hpp"
#include "platform/foundation/Array.hpp"

#include <memory>

namespace carbon {

// Keys of one symbolic hot key's dictionary.
inline constexpr const char* kHISymbolicHotKeyCode = "kHISymbolicHotKeyCode";
inline constexpr const char* kHISymbolicHotKeyModifiers = "kHISymbolicHotKeyModifiers";
inline constexpr const char* kHISymbolicHotKeyEnabled = "kHISymbolicHotKeyEnabled";

// The platform setting (global defaults domain) that lists the system's own shortcuts: an
// array of dictionaries with the three keys above.
inline constexpr const char* kSymbolicHotKeysSetting = "KVSymbolicHotKeys";

// The system's symbolic hot keys as the platform settings list them, in their order and
// unchecked (callers validate each entry). No setting gives an empty array. Safe from any
// thread (it reads user defaults).
OSStatus CopySymbolicHotKeys(std::shared_ptr<foundation::Array>* outHotKeyArray);

}  // namespace carbon
