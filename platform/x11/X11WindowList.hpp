#pragma once

#include "platform/x11/X11Window.hpp"

#include <memory>
#include <vector>

namespace display {

// The application's windows on the X server: one X11Window for each window of the
// application that was ever visible and still lives (made again when its kind changes),
// stacked in the application's order, above everything else whenever that order changes.
// Main thread only.
class X11WindowList {
public:
    X11WindowList(X11Connection& connection, X11Visuals& visuals) : connection_(connection), visuals_(visuals) {}

    // Brings the server's windows in line with the application's window list.
    void update(const X11ScreenLayout& layout);

    X11Window* find(xcb_window_t identifier) const;
    X11Window* find(const appkit::Window& window) const;

private:
    void restack();

    X11Connection& connection_;
    X11Visuals& visuals_;
    std::vector<std::unique_ptr<X11Window>> windows_;
    std::vector<xcb_window_t> stacked_;  // front to back, as last put on the server
};

}  // namespace display
