#pragma once

#include "platform/display/x11/X11WindowList.hpp"

#include <memory>
#include <string>

namespace display {

// Keyboard focus between the application's windows and the rest of the desktop. The window
// the application makes key gets the server's input focus (through the window manager when
// one runs and the window is managed); a window of the application the server gives focus
// to becomes key; when focus leaves for another client, the key window resigns, as when
// the user turns to another application. When the application is left without a key
// window while it holds focus, focus goes back to the window that had it before the
// application took it. Focus that only moves for a keyboard grab (a hot key held) changes
// nothing. Main thread only.
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
    // The class name of the other client's window that has the focus, or "".
    std::string classOfFocusedClient();

private:
    xcb_window_t currentFocus();
    bool belongsToApplication(xcb_window_t window) const { return windows_.find(window) != nullptr; }
    void giveFocus(const X11Window& window);

    X11Connection& connection_;
    X11WindowList& windows_;
    std::weak_ptr<appkit::Window> givenTo_;
    bool hadKeyWindow_ = false;
    xcb_window_t focused_ = XCB_NONE;
    bool leftPending_ = false;
    xcb_window_t returnTo_ = XCB_NONE;
};

}  // namespace display
