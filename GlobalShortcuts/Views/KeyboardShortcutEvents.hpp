#pragma once

#include "GlobalShortcuts/EventType.hpp"
#include "GlobalShortcuts/Name.hpp"
#include "platform/ui/Node.hpp"

#include <functional>

namespace GlobalShortcuts {

// Runs an action for the Name's global shortcut events, in order, from the moment the
// content is shown until it goes away (a task consuming the Name's event stream). Main
// thread only.

// Every key-down and key-up event.
ui::Node onKeyboardShortcut(ui::Node content, const Name& name, std::function<void(EventType)> action);
// The events of one type.
ui::Node onKeyboardShortcut(ui::Node content, const Name& name, EventType type, std::function<void()> action);

// The same two under a second name.
inline ui::Node onGlobalKeyboardShortcut(ui::Node content, const Name& name, std::function<void(EventType)> action) {
    return onKeyboardShortcut(std::move(content), name, std::move(action));
}
inline ui::Node onGlobalKeyboardShortcut(ui::Node content, const Name& name, EventType type,
                                         std::function<void()> action) {
    return onKeyboardShortcut(std::move(content), name, type, std::move(action));
}

}  // namespace GlobalShortcuts
