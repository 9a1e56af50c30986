#pragma once

#include "GlobalShortcuts/Name.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/foundation/NotificationCenter.hpp"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace GlobalShortcuts {

// The store of each Name's shortcut in the standard user defaults, under "GlobalShortcuts_"
// and the Name: the shortcut's JSON as a string, false for a Name whose default the user
// cleared, or nothing. Every write keeps the Carbon registration in step and posts the
// change notification synchronously. Main thread only; nothing is cached.
inline constexpr const char* userDefaultsKeyPrefix = "GlobalShortcuts_";
// Posted with no object and userInfo {"name": the boxed Name} after each change.
inline constexpr const char* shortcutByNameDidChange = "GlobalShortcuts_shortcutByNameDidChange";

std::string userDefaultsKey(const Name& name);

std::optional<Shortcut> getShortcut(const Name& name);
// Stores a shortcut, or clears it with none (false for a Name with a default).
void setShortcut(std::optional<Shortcut> shortcut, const Name& name);
// Stores and registers the shortcut, then announces it.
void userDefaultsSet(const Shortcut& shortcut, const Name& name);
// Gives each Name its default back; a Name without one loses its stored shortcut.
void reset(const std::vector<Name>& names);
template <class... Names>
void reset(const Name& first, const Names&... rest) {
    reset(std::vector<Name>{first, rest...});
}
// Resets every Name found in the store.
void resetAll();
// Every Name with a key in the store, without defaults.
std::unordered_set<Name> allNames();
// Whether the store holds anything (false included) for the Name.
bool userDefaultsContains(const Name& name);
void postShortcutByNameDidChange(const Name& name);
// Whether a change notification announces a change of this Name (the same raw value).
bool announcesChange(const foundation::Notification& notification, const Name& name);

}  // namespace GlobalShortcuts
