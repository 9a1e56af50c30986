#pragma once

#include "platform/appkit/Event.hpp"
#include "platform/ui/LayoutNode.hpp"

#include <functional>

namespace ui {

// Finds what a key press does in a laid-out tree: the action of the first button below a
// keyboard shortcut whose key (letters in either case) and modifiers (command, shift,
// option, control; others ignored) the key-down event matches. Main thread only; stateless.
class ShortcutMatcher {
public:
    // The button's action, or null when no shortcut of the tree matches.
    static std::function<void()> actionFor(const LayoutNode& root, const appkit::Event& event);
    // The command, shift, option and control keys of the modifiers as event flags.
    static std::uint64_t modifierFlagsFor(EventModifiers modifiers);
};

}  // namespace ui
