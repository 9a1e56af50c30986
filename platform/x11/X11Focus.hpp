#pragma once

#include "platform/x11/X11WindowList.hpp"

#include <memory>
#include <string>

namespace display {

// Keyboard focus between the application's windows and the rest of the desktop. The window
// the application makes key gets the server's input focus (through the window manager when
// one runs and the window is managed); a window of the application the server gives focus
// to becomes key; when focus leaves for another client, the key window resigns, as when
// the user turns to another application. Focus that leaves one window for another of the
// application's, or for no client's while a key window waits for it, stays the
// application's, whichever batch of events brings its arrival. When the application is
// left without a key window while it holds focus, focus goes back to the window that had it
// before the application took it. Focus that only moves for a keyboard grab (a hot key
// held) changes nothing, and focus the application gave another client itself (activating
// it, which took the key status already) resigns no window made key since. While another
// client has the focus, the session's frontmost application is that client's (named by its
// window's class) whenever the display asks; activating another application gives its window
// the focus. Main thread only.
class X11Focus {
public:
    X11Focus(X11Connection& connection, X11WindowList& windows) : connection_(connection), windows_(windows) {}

    // Before the run loop waits: hands the focus to the key window the application chose.
    void update();
    void focusIn(const xcb_focus_in_event_t& event);
    void focusOut(const xcb_focus_out_event_t& event);
    // After a batch of events: focus that left the application and did not come back to
    // another of its windows makes the key window resign.
    void settle();

    bool applicationHasFocus() const { return focused_ != XCB_NONE; }
    // Whether the server's focus is known to have reached the application's key window.
    bool keyWindowHasFocus() const;
    // The class name of the other client's window that has the focus, or "".
    std::string classOfFocusedClient();
    // Brings the session in line with another client that has the focus, unless the
    // application has the focus or a key window waiting for it (its own focus comes with its
    // events).
    void followOtherClients();
    // Gives the focus to the frontmost window of the class (the one the application took the
    // focus from first), unless that class has it already; without a window manager the
    // window is raised too.
    void focusApplication(const std::string& windowClass);

private:
    xcb_window_t currentFocus();
    // No client's window: none, the pointer's root, or the root, where the server leaves the
    // focus when its window goes.
    bool isNoClient(xcb_window_t focus) const;
    // The class of the window or of the nearest ancestor that names one, or "".
    std::string classOf(xcb_window_t window);
    bool windowManagerRuns();
    // Who asks the window manager to activate a window, with the protocol's values.
    enum class ActivationSource : std::uint32_t { application = 1, user = 2 };
    void askWindowManagerToActivate(xcb_window_t window, ActivationSource source);
    bool belongsToApplication(xcb_window_t window) const { return windows_.find(window) != nullptr; }
    void giveFocus(const X11Window& window);

    X11Connection& connection_;
    X11WindowList& windows_;
    std::weak_ptr<appkit::Window> givenTo_;
    bool hadKeyWindow_ = false;
    xcb_window_t focused_ = XCB_NONE;
    bool leftPending_ = false;
    // A window became key and no window of the application has had the focus since.
    bool keyWindowAwaitsFocus_ = false;
    xcb_window_t returnTo_ = XCB_NONE;
    // The application gave the focus to another client itself while it had it.
    bool gaveFocusAway_ = false;
};

}  // namespace display
