#pragma once

#include "platform/ui/Node.hpp"

#include <functional>
#include <string>
#include <variant>

namespace ui {

// A menu-bar extra in the menu style: a status item showing the image asset with the
// title (a localization key), whose menu is made of the content's buttons (their label's
// text, keyboard shortcut and enabled state) and dividers.
struct MenuBarExtra {
    std::string titleKey;
    std::string imageName;
    Node content;
};

// The application's Settings window. Its content is made each time the window opens, and
// released when it closes.
struct Settings {
    std::function<Node()> content;
};

using Scene = std::variant<MenuBarExtra, Settings>;

}  // namespace ui
