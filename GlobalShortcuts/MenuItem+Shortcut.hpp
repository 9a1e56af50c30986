#pragma once

#include "GlobalShortcuts/Name.hpp"
#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/appkit/MenuItem.hpp"

#include <memory>
#include <optional>

namespace GlobalShortcuts {

// A global shortcut shown as a menu item's key equivalent: applied once, or bound to a Name
// so that the item shows the Name's stored shortcut and follows each announced change one
// turn of the main queue later. The binding is attached to the item and ends with it (or
// with a new binding); it holds the item weakly. Main thread only.

// Applies the shortcut (none clears the key equivalent); a binding stays as it is.
void setShortcut(const std::shared_ptr<appkit::MenuItem>& item, std::optional<Shortcut> shortcut);
// Applies the Name's stored shortcut.
void updateShortcut(const std::shared_ptr<appkit::MenuItem>& item, const Name& name);
// Binds the item to the Name, or with none clears the item and ends its binding.
void setShortcut(const std::shared_ptr<appkit::MenuItem>& item, std::optional<Name> name);

}  // namespace GlobalShortcuts
