#pragma once

#include "platform/appkit/StatusItem.hpp"
#include "platform/ui/Host.hpp"
#include "platform/ui/MenuWindow.hpp"
#include "platform/ui/Scene.hpp"

#include <memory>

namespace ui {

// A menu-bar extra on screen: its status item (the image asset, the localized title), the
// menu built from its content, and the menu while it is open. The content is kept by a host
// of its own, so its state lives and its changes rebuild the menu; it is evaluated afresh
// each time the menu opens. A click on the item opens the menu at the place the window
// server gives, or closes it when open. Main thread only; the launched application owns it
// and removes the status item with it; the item holds it weakly.
class MenuBarExtraScene : public std::enable_shared_from_this<MenuBarExtraScene> {
public:
    static std::shared_ptr<MenuBarExtraScene> make(MenuBarExtra scene);
    ~MenuBarExtraScene();
    MenuBarExtraScene(const MenuBarExtraScene&) = delete;
    MenuBarExtraScene& operator=(const MenuBarExtraScene&) = delete;

    const std::shared_ptr<appkit::StatusItem>& statusItem() const { return statusItem_; }
    const std::shared_ptr<appkit::Menu>& menu() const { return menu_; }
    // The open menu, or null.
    std::shared_ptr<MenuWindow> openMenu() const;
    void toggleMenu(appkit::Point origin);

    explicit MenuBarExtraScene(MenuBarExtra scene);

private:
    void rebuildMenu();

    MenuBarExtra scene_;
    std::shared_ptr<appkit::StatusItem> statusItem_;
    std::shared_ptr<appkit::Menu> menu_;
    std::shared_ptr<Host> host_;
    std::shared_ptr<MenuWindow> menuWindow_;
};

}  // namespace ui
