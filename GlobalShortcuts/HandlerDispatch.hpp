#pragma once

#include "GlobalShortcuts/EventType.hpp"
#include "GlobalShortcuts/Name.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/foundation/AsyncStream.hpp"

#include <functional>
#include <unordered_set>
#include <vector>

namespace GlobalShortcuts {

// The handlers and event streams of each Name, the set of shortcuts registered with
// Carbon (each once), the enabled and paused switches, and the dispatch of every hot-key
// event to each Name whose stored shortcut is the pressed one. Process-wide state on the
// main thread, without locks; streams add and remove themselves through the main queue.

using Action = std::function<void()>;

// Posted by a recorder with userInfo {"isActive": Boolean} when it starts and stops recording.
inline constexpr const char* recorderActiveStatusDidChange = "GlobalShortcuts_recorderActiveStatusDidChange";

// True while a recorder records: hot keys stay registered and their events are dropped.
bool isPaused();
void setIsPaused(bool paused);
// False suspends every hot key; a change switches the Carbon mode.
bool isEnabled();
void setIsEnabled(bool enabled);

void onKeyDown(const Name& name, Action action);
void onKeyUp(const Name& name, Action action);
// Drops the Name's handlers; its hot key goes unless a stream still needs it.
void removeHandler(const Name& name);
// Drops every handler; streams keep working.
void removeAllHandlers();

// Registers (enable) or unregisters (disable) each Name's stored shortcut; the store is
// not changed.
void enable(const std::vector<Name>& names);
void disable(const std::vector<Name>& names);
template <class... Names>
void enable(const Name& first, const Names&... rest) {
    enable(std::vector<Name>{first, rest...});
}
template <class... Names>
void disable(const Name& first, const Names&... rest) {
    disable(std::vector<Name>{first, rest...});
}
bool isRegistered(const Name& name);

// The Name's key-down and key-up events from the moment the stream's addition has run on
// the main queue until the stream ends.
foundation::AsyncStream<EventType> events(const Name& name);
foundation::AsyncStream<EventType> events(EventType type, const Name& name);

// Runs the handlers, then the streams, of every Name whose stored shortcut is the pressed one.
void handleEvent(const Shortcut& shortcut, EventType type);
// Follows the application's menus opening and closing; starts once per process.
void startObservingMenuTracking();

// Shortcuts for which a hot key was asked of Carbon (also when Carbon refused).
const std::unordered_set<Shortcut>& registeredShortcuts();
// Asks Carbon for the shortcut's hot key unless it is registered already.
void registerShortcut(const Shortcut& shortcut);
void unregisterShortcut(const Shortcut& shortcut);
// The readable stored shortcuts of the Names with handlers, and of those with live streams.
std::unordered_set<Shortcut> handlerShortcuts();
std::unordered_set<Shortcut> streamShortcuts();

}  // namespace GlobalShortcuts
