#pragma once

#include "platform/ui/EventModifiers.hpp"
#include "platform/ui/KeyEquivalent.hpp"

namespace ui {

// A declarative view's keyboard shortcut: a key, its modifiers, and how the key is adapted
// to the keyboard layout (custom: used exactly as given).
struct KeyboardShortcut {
    enum class Localization { automatic, withoutMirroring, custom };

    KeyEquivalent key;
    EventModifiers modifiers{EventModifiers::command};
    Localization localization = Localization::automatic;

    friend bool operator==(const KeyboardShortcut&, const KeyboardShortcut&) = default;
};

}  // namespace ui
