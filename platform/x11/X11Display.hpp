#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/display/InputDelivery.hpp"
#include "platform/display/Server.hpp"
#include "platform/x11/X11Connection.hpp"
#include "platform/x11/X11ScreenLayout.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace display {

class SystemTray;
class X11Clipboard;
class X11EventWatcher;
class X11Focus;
class X11HotKeyGrabs;
class X11Keyboard;
class X11KeyboardHold;
class X11MenuGrab;
class X11Visuals;
class X11WindowList;

// The window server on an X server: the application's windows as X windows drawn by the
// renderer (X11Window), focus and key status (X11Focus), the monitors as screens, keys and
// clicks from the server delivered as the platform's events (X11Keyboard, InputDelivery),
// hot keys as grabs on the root window (X11HotKeyGrabs) that hold the keyboard for the window
// their handlers make key (X11KeyboardHold), the general pasteboard as the CLIPBOARD
// selection (X11Clipboard), open menus' hold on input (X11MenuGrab), and the
// menu-bar extra in the system tray. Events are read on the main thread when the server
// sends them; before the main run loop waits, the server is brought in line with the
// application's windows. Main thread only; one per
// process, living until the application ends.
class X11Display final : public Server {
public:
    // Fails when the name (or $DISPLAY) names no server that answers, or the server has no
    // keyboard extension.
    static foundation::Expected<std::unique_ptr<X11Display>> connect(const std::string& name);
    ~X11Display() override;

    std::vector<ScreenFrame> screens() const override { return layout_.screens(); }
    std::string frontmostApplication() const override;

    carbon::OSStatus grabHotKey(carbon::UInt32 keyCode, carbon::UInt32 modifiers) override;
    void releaseHotKey(carbon::UInt32 keyCode, carbon::UInt32 modifiers) override;
    void generalPasteboardDidChange(const appkit::Pasteboard& pasteboard) override;
    std::optional<std::string> stringFromOtherApplication(const std::string& type) override;
    // The first status item is the menu-bar extra: its icon in the tray, and a click on the
    // icon is a click on the item, its menu opening at the pointer.
    void statusBarDidChange(const appkit::StatusBar& statusBar) override;
    // Another application's window gets the focus (see X11Focus).
    void otherApplicationDidActivate(const appkit::RunningApplication& application) override;

    // The menu-bar extra: the icon in the desktop's system tray, docked when a tray starts
    // later. Without a tray the application runs on, and the log says so once.
    void showMenuBarExtra(std::shared_ptr<appkit::Image> icon, std::function<void(appkit::Point)> clicked);
    bool isMenuBarExtraDocked() const;

    // Brings the server in line with the application's windows now; done before every wait
    // of the main run loop anyway.
    void update();
    // The whole screen as the server shows it.
    std::shared_ptr<appkit::Image> screenshot();
    // Frames put on the server for the window so far; 0 for one it does not show.
    std::uint64_t framesDrawn(const appkit::Window& window) const;
    // The X window showing the application's window, or XCB_NONE.
    xcb_window_t serverWindow(const appkit::Window& window) const;
    X11Connection& connection() { return *connection_; }

    // Runs the main run loop until the condition holds, for at most the limit; whether it
    // held. For tools and tests that wait on what other clients do.
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

private:
    X11Display(std::unique_ptr<X11Connection> connection, std::unique_ptr<X11Keyboard> keyboard);
    void setUp();
    bool readEvents();
    void handle(const xcb_generic_event_t& event);
    void handleKey(const xcb_key_press_event_t& event, KeyDirection direction);
    void handleButton(const xcb_button_press_event_t& event, bool pressed);
    void handleMotion(const xcb_motion_notify_event_t& event);
    void handleClientMessage(const xcb_client_message_event_t& event);
    void layOutScreens();

    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11Keyboard> keyboard_;
    std::unique_ptr<X11Visuals> visuals_;
    X11ScreenLayout layout_;
    xcb_window_t ownWindow_ = XCB_NONE;
    std::uint8_t randrEventBase_ = 0;
    std::unique_ptr<X11WindowList> windows_;
    std::unique_ptr<X11Focus> focus_;
    std::unique_ptr<X11HotKeyGrabs> grabs_;
    std::unique_ptr<X11Clipboard> clipboard_;
    std::unique_ptr<X11MenuGrab> menuGrab_;
    std::unique_ptr<X11KeyboardHold> keyboardHold_;
    std::unique_ptr<SystemTray> tray_;
    bool saidNoTray_ = false;
    std::weak_ptr<appkit::StatusItem> shownStatusItem_;
    std::shared_ptr<appkit::Image> shownStatusIcon_;
    InputDelivery input_;
    std::set<xcb_keycode_t> keysDown_;
    struct Click {
        std::uint8_t button = 0;
        xcb_timestamp_t time = 0;
        int x = 0, y = 0;
        int count = 0;
    } lastClick_;
    std::unique_ptr<X11EventWatcher> watcher_;
    std::unique_ptr<foundation::RunLoopToken> updateObserver_;
};

}  // namespace display
