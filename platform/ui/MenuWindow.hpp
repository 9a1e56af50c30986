#pragma once

#include "platform/appkit/Menu.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/HostingView.hpp"

#include <memory>

namespace ui {

// An open menu: a borderless panel at the pop-up menu level showing the menu (MenuView),
// while which the application tracks the menu (so its key equivalents, the arrows, Return
// and Escape reach it, see appkit::Application); like the platform's menus it never becomes
// key. It is drawn anew whenever the menu's highlighted item changes. The menu
// closes when tracking ends (Escape, a click elsewhere), when a window takes key status, or
// when an item is chosen; a chosen item runs once the menu has closed. Main thread only; its observers hold it weakly, and its
// owner keeps it while it may open again.
class MenuWindow : public std::enable_shared_from_this<MenuWindow> {
public:
    // Opens the menu with its top-left corner at the screen point, moved so that it stays
    // on that point's screen (above the point when there is no room below it).
    static std::shared_ptr<MenuWindow> popUp(std::shared_ptr<appkit::Menu> menu, appkit::Point origin);
    ~MenuWindow();
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    bool isOpen() const { return window_ && window_->isVisible(); }
    const std::shared_ptr<appkit::Menu>& menu() const { return menu_; }
    const std::shared_ptr<appkit::Window>& window() const { return window_; }
    const std::shared_ptr<HostingView>& contentView() const { return content_; }
    // Shows the menu's items anew after they changed.
    void menuDidChange();
    // Ends the tracking, which closes the window.
    void cancel();

    explicit MenuWindow(std::shared_ptr<appkit::Menu> menu);

private:
    void open(appkit::Point origin);
    void choose(const std::shared_ptr<appkit::MenuItem>& item);
    void didEndTracking();
    Node content();

    std::shared_ptr<appkit::Menu> menu_;
    std::shared_ptr<appkit::Window> window_;
    std::shared_ptr<HostingView> content_;
    std::unique_ptr<foundation::NotificationToken> endTrackingObserver_;
    std::unique_ptr<foundation::NotificationToken> becomeKeyObserver_;
    foundation::ObservationToken highlightObserver_;
};

}  // namespace ui
