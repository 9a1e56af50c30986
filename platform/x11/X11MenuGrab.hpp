#pragma once

#include "platform/x11/X11Connection.hpp"

namespace display {

// While a menu of the application tracks, the keyboard and the pointer are grabbed on the
// root window for the application's own events, so keys reach the menu whoever has the
// focus (Escape, arrows, key equivalents; a menu never becomes key) and a click on another
// client is the application's to end the tracking, as on the platform. The grabs go with
// the tracking. Main thread only.
class X11MenuGrab {
public:
    explicit X11MenuGrab(X11Connection& connection) : connection_(connection) {}
    ~X11MenuGrab();
    X11MenuGrab(const X11MenuGrab&) = delete;
    X11MenuGrab& operator=(const X11MenuGrab&) = delete;

    // Grabs when a menu began tracking, lets go when it ended.
    void update();
    bool isHeld() const { return held_; }

private:
    void release();

    X11Connection& connection_;
    bool held_ = false;
};

}  // namespace display
