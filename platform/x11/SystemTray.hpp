#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/x11/X11Connection.hpp"
#include "platform/x11/X11Visuals.hpp"

#include <functional>
#include <memory>

namespace display {

// The menu-bar extra as an icon in the desktop's system tray: an icon window handed to the
// tray manager with the freedesktop tray protocol and embedded by it (XEmbed), drawn with the
// icon scaled to the size the tray gives it (as the server's own notices tell it), up to a
// bounded size; a click on it is reported with the pointer's place on the root window. A
// tray that starts later, or after the one it was in ended, is docked into when it announces
// itself (the display listens to the root window's structure for it). Main thread only;
// destroys its window when it goes.
class SystemTray {
public:
    SystemTray(X11Connection& connection, X11Visuals& visuals, std::shared_ptr<appkit::Image> icon,
               std::function<void(int rootX, int rootY)> clicked);
    ~SystemTray();
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    // Asks the running tray manager to take the icon; false when no tray runs.
    bool dock();
    bool isDocked() const { return docked_; }
    xcb_window_t iconWindow() const { return window_; }

    // Events the display passes on: true when the event was the tray's.
    bool handleEvent(const xcb_generic_event_t& event);

private:
    void createWindow();
    // Out of the tray: a new window in place of the old, docked if a tray runs.
    void undock();
    xcb_atom_t managerSelection();
    void draw();

    X11Connection& connection_;
    std::shared_ptr<appkit::Image> icon_;
    std::function<void(int, int)> clicked_;
    xcb_window_t window_ = XCB_NONE;
    const X11Visual* visual_;
    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
    bool docked_ = false;
};

}  // namespace display
