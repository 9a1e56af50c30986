#pragma once

#include "platform/appkit/Menu.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <memory>
#include <string>

namespace ui {

// How an open menu looks: its items one under the other on a rounded panel, each title
// with its key equivalent at the trailing edge, disabled items greyed, separators as thin
// lines, the menu's highlighted item on the selected-menu-item colour with its texts in the
// selected-menu-item text colour. The pointer over an item highlights it, and leaving it
// takes the highlight away; a click on an enabled item hands it to onChoose. Item rows carry
// the ids "item-0", "item-1"… by index. Main thread only.
class MenuView final : public View {
public:
    MenuView(std::shared_ptr<appkit::Menu> menu, std::function<void(std::shared_ptr<appkit::MenuItem>)> onChoose)
        : menu(std::move(menu)), onChoose(std::move(onChoose)) {}

    std::shared_ptr<appkit::Menu> menu;
    std::function<void(std::shared_ptr<appkit::MenuItem>)> onChoose;

    Node body() override;

    // The key equivalent as menus show it: the modifier symbols (⌃⌥⇧⌘) then the key
    // ("Space", "↩", an upper-case letter…); empty without one.
    static std::string keyEquivalentText(const appkit::MenuItem& item);
};

}  // namespace ui
