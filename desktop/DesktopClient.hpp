#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/x11/X11Connection.hpp"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace desktop {

// A top-level window on the server as another client sees it, in the server's pixels.
struct ServerWindow {
    xcb_window_t identifier = XCB_NONE;
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
};

// A client of its own on an X server, to watch and drive the application from outside as
// the rest of a desktop would: the windows a process shows, the input focus, the whole
// screen, a window of its own standing for another application in front, and a system tray.
// Single thread; the connection (and so its windows) goes with it.
class DesktopClient {
public:
    // Fails when the server does not answer.
    static foundation::Expected<std::unique_ptr<DesktopClient>> connect(const std::string& displayName);

    // The viewable top-level windows that the process shows and that draw (input-only ones
    // left out), back to front.
    std::vector<ServerWindow> windowsOf(pid_t process);
    xcb_window_t focus();
    std::shared_ptr<appkit::Image> screenshot();

    // Shows a window of an application of the class (WM_CLASS), gives it the focus and
    // hears the keys typed into it; false when the server did not show it within a second.
    bool showApplicationWindow(const std::string& applicationClass, int x, int y, int width, int height);
    xcb_window_t applicationWindow() const { return ownWindow_; }
    // The application window takes the focus back, as a click on it would.
    void focusApplicationWindow();
    // Whether the key that types the character was pressed in the application window since
    // the last question. Knowing this after a tool sent the key takes a round trip, which
    // this makes: the server delivered what the tool sent before it answers.
    bool wasTypedIntoApplicationWindow(char character);

    // How the tray sizes the icons it embeds: all at its own size, or each at the size its
    // hints ask for (the minimum, else the base size, else one pixel), as toolkit trays do.
    enum class TrayIconSizing { imposed, fromHints };
    // Starts a system tray at the top right of the screen (the freedesktop tray protocol):
    // icons that ask to dock are embedded (and kept in the client's save-set, so that they
    // outlive its connection) and shown in it from its right end leftwards, as events are
    // read, and those destroyed leave their place;
    // false when another client holds the tray already.
    bool startSystemTray(TrayIconSizing sizing = TrayIconSizing::imposed);
    // Ends the tray by destroying its window, and the icons in it with it.
    void endSystemTray();
    const std::vector<xcb_window_t>& trayIcons() const { return trayIcons_; }
    // The middle of a docked icon, in the screen's pixels.
    std::pair<int, int> trayIconCentre(std::size_t index) const;

    // Handles what the server sent so far (keys typed into the window, icons asking to dock);
    // done while waiting anyway.
    void readEvents();
    // Checks the condition until it holds, waking for the server's events and at least every
    // 20 milliseconds, at most for the limit; whether it held.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

    display::X11Connection& connection() { return *connection_; }

private:
    explicit DesktopClient(std::unique_ptr<display::X11Connection> connection) : connection_(std::move(connection)) {}
    void dock(xcb_window_t icon);
    void placeTrayIcons();
    std::pair<std::uint32_t, std::uint32_t> trayIconSize(xcb_window_t icon);

    std::unique_ptr<display::X11Connection> connection_;
    xcb_window_t ownWindow_ = XCB_NONE;
    std::vector<xcb_keycode_t> keysTyped_;
    xcb_window_t tray_ = XCB_NONE;
    int trayX_ = 0;
    TrayIconSizing traySizing_ = TrayIconSizing::imposed;
    std::vector<xcb_window_t> trayIcons_;
};

}  // namespace desktop
