#include "platform/x11/X11ScreenLayout.hpp"

#include <xcb/randr.h>

#include <algorithm>
#include <cmath>

namespace display {

namespace {

struct Monitor {
    int x, y, width, height;
    bool primary;
};

std::vector<Monitor> monitors(X11Connection& connection) {
    std::vector<Monitor> found;
    XReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
        connection.get(), xcb_randr_query_version(connection.get(), 1, 5), nullptr));
    if (version && (version->major_version > 1 || version->minor_version >= 5)) {
        XReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
            connection.get(), xcb_randr_get_monitors(connection.get(), connection.root(), 1), nullptr));
        if (reply)
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem; xcb_randr_monitor_info_next(&it))
                if (it.data->width && it.data->height)
                    found.push_back({it.data->x, it.data->y, it.data->width, it.data->height, it.data->primary != 0});
    }
    if (found.empty()) {
        // The connection's setup keeps the size the screen had when it connected; the root
        // window has the size it has now.
        const xcb_screen_t* screen = connection.screen();
        int width = screen->width_in_pixels, height = screen->height_in_pixels;
        XReply<xcb_get_geometry_reply_t> root(
            xcb_get_geometry_reply(connection.get(), xcb_get_geometry(connection.get(), connection.root()), nullptr));
        if (root) width = root->width, height = root->height;
        found.push_back({0, 0, width, height, true});
    }
    std::stable_partition(found.begin(), found.end(), [](const Monitor& monitor) { return monitor.primary; });
    return found;
}

std::int16_t clampedCoordinate(double value) {
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

std::uint16_t clampedLength(double value) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 1L, 32767L));
}

}  // namespace

X11ScreenLayout X11ScreenLayout::query(X11Connection& connection) {
    X11ScreenLayout layout;
    auto found = monitors(connection);
    const Monitor& first = found.front();
    layout.originX_ = first.x;
    layout.originBottom_ = first.y + first.height;
    for (const auto& monitor : found)
        layout.screens_.push_back({monitor.x - layout.originX_, layout.originBottom_ - (monitor.y + monitor.height),
                                   double(monitor.width), double(monitor.height)});
    return layout;
}

ServerRect X11ScreenLayout::toServer(const appkit::Rect& rect) const {
    return {clampedCoordinate(rect.minX() + originX_), clampedCoordinate(originBottom_ - rect.maxY()),
            clampedLength(rect.width()), clampedLength(rect.height())};
}

appkit::Point X11ScreenLayout::fromServer(int x, int y) const { return {x - originX_, originBottom_ - y}; }

}  // namespace display
