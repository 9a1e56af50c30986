#include "platform/x11/X11Visuals.hpp"

#include <string>

namespace display {

namespace {

X11Visual findVisual(xcb_screen_t* screen, std::uint8_t wantedDepth, xcb_visualid_t wantedIdentifier) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        if (wantedDepth && depths.data->depth != wantedDepth) continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            if (wantedIdentifier && visuals.data->visual_id != wantedIdentifier) continue;
            if (!wantedIdentifier && visuals.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR) continue;
            return {visuals.data, depths.data->depth, XCB_NONE};
        }
    }
    return {};
}

}  // namespace

X11Visuals::X11Visuals(X11Connection& connection) : connection_(connection) {
    xcb_screen_t* screen = connection.screen();
    opaque_ = findVisual(screen, 0, screen->root_visual);
    opaque_.colormap = screen->default_colormap;
    translucent_ = findVisual(screen, 32, 0);
    if (translucent_.type) {
        translucent_.colormap = xcb_generate_id(connection.get());
        xcb_create_colormap(connection.get(), XCB_COLORMAP_ALLOC_NONE, translucent_.colormap, screen->root,
                            translucent_.type->visual_id);
    }
}

const X11Visual* X11Visuals::translucent() {
    if (!translucent_.type) return nullptr;
    // A compositing manager owns the selection named after the screen.
    auto selection = connection_.atom("_NET_WM_CM_S" + std::to_string(connection_.screenNumber()));
    XReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection_.get(), xcb_get_selection_owner(connection_.get(), selection), nullptr));
    return owner && owner->owner != XCB_NONE ? &translucent_ : nullptr;
}

}  // namespace display
