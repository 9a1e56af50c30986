#pragma once

#include "platform/appkit/Menu.hpp"
#include "platform/ui/LayoutNode.hpp"

#include <memory>

namespace ui {

// Turns an evaluated declarative tree into a menu, the way a menu-style menu-bar extra
// shows its content: each button is an item (the first text of its label as title, the
// keyboard shortcut around it as key equivalent, enabled as its environment says), each
// divider a separator; other nodes only contribute what lies below them. Main thread only;
// stateless.
class MenuBuilder {
public:
    // Replaces the menu's items with those of the tree.
    static void fill(appkit::Menu& menu, const ResolvedNode& root, EnvironmentValues environment = {});

    // A declarative shortcut as a menu item's key equivalent and modifier mask.
    static void applyShortcut(const KeyboardShortcut& shortcut, appkit::MenuItem& item);
};

}  // namespace ui
