#pragma once

#include "platform/x11/X11Connection.hpp"

namespace display {

// A visual to make windows with: its type, depth and colormap.
struct X11Visual {
    xcb_visualtype_t* type = nullptr;
    std::uint8_t depth = 0;
    xcb_colormap_t colormap = XCB_NONE;
};

// The visuals windows are made with: the root's for opaque windows, and for windows that see
// through where they draw nothing, a 32-bit one while a compositing manager runs (without
// one, such windows are cut to the shape of what they draw instead). Queried once per
// display; main thread only.
class X11Visuals {
public:
    explicit X11Visuals(X11Connection& connection);

    const X11Visual& opaque() const { return opaque_; }
    // The 32-bit visual when windows can be translucent now, else null.
    const X11Visual* translucent();

private:
    X11Connection& connection_;
    X11Visual opaque_;
    X11Visual translucent_;
};

}  // namespace display
