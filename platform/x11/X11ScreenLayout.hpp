#pragma once

#include "platform/appkit/Geometry.hpp"
#include "platform/display/Server.hpp"
#include "platform/x11/X11Connection.hpp"

#include <vector>

namespace display {

// A rectangle in the X server's root coordinates (origin top left, y down), whole pixels.
struct ServerRect {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    friend bool operator==(const ServerRect&, const ServerRect&) = default;
};

// The X server's monitors as the application's screens, and the change between root
// coordinates and the application's global ones: the primary monitor (else the first) is
// the first screen with its bottom-left corner at the origin, y growing up. Without RandR
// monitors the whole root window is one screen. A plain value.
class X11ScreenLayout {
public:
    static X11ScreenLayout query(X11Connection& connection);

    const std::vector<ScreenFrame>& screens() const { return screens_; }
    // At least one pixel wide and high, clamped to what the protocol can carry.
    ServerRect toServer(const appkit::Rect& rect) const;
    appkit::Point fromServer(int x, int y) const;

private:
    std::vector<ScreenFrame> screens_;
    double originX_ = 0;       // root x of the first screen's left edge
    double originBottom_ = 0;  // root y of the first screen's bottom edge
};

}  // namespace display
