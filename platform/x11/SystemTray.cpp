#include "platform/x11/SystemTray.hpp"

#include "platform/render/Canvas.hpp"

#include <cairo-xcb.h>
#include <cairo.h>

#include <algorithm>
#include <string>

namespace display {

namespace {
constexpr std::uint32_t systemTrayRequestDock = 0;
constexpr std::uint32_t xembedMapped = 1;
// The largest the icon is drawn, in pixels: room for any tray's icons at twice the scale,
// while a window another client made huge costs no more than this to draw.
constexpr int maximumIconSide = 128;
// The size the icon's window is made at and asks trays for.
constexpr std::uint16_t wantedSide = 22;
}  // namespace

SystemTray::SystemTray(X11Connection& connection, X11Visuals& visuals, std::shared_ptr<appkit::Image> icon,
                       std::function<void(int rootX, int rootY)> clicked)
    : connection_(connection), icon_(std::move(icon)), clicked_(std::move(clicked)), visual_(&visuals.opaque()) {
    createWindow();
}

void SystemTray::createWindow() {
    width_ = height_ = wantedSide;
    window_ = xcb_generate_id(connection_.get());
    // The tray's background shows through around the icon.
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_PARENT_RELATIVE,
                                    XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                        XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
    xcb_create_window(connection_.get(), visual_->depth, window_, connection_.root(), 0, 0, width_, height_, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_->type->visual_id, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK,
                      values);
    const std::uint32_t xembedInfo[] = {0, xembedMapped};
    auto info = connection_.atom("_XEMBED_INFO");
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window_, info, info, 32, 2, xembedInfo);
    // Trays that size an icon from its hints (a toolkit's embedding widget) take the minimum
    // or the base size and give an icon without either one pixel.
    std::uint32_t hints[18] = {};
    hints[0] = 16 | 256;  // minimum and base size
    hints[5] = hints[15] = width_;
    hints[6] = hints[16] = height_;
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

SystemTray::~SystemTray() {
    xcb_destroy_window(connection_.get(), window_);
    connection_.flush();
}

void SystemTray::undock() {
    if (window_ != XCB_NONE) xcb_destroy_window(connection_.get(), window_);
    createWindow();
    docked_ = false;
    dock();
}

xcb_atom_t SystemTray::managerSelection() {
    return connection_.atom("_NET_SYSTEM_TRAY_S" + std::to_string(connection_.screenNumber()));
}

bool SystemTray::dock() {
    XReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), managerSelection()), nullptr));
    if (!owner || owner->owner == XCB_NONE) return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = owner->owner;
    message.type = connection_.atom("_NET_SYSTEM_TRAY_OPCODE");
    message.data.data32[0] = connection_.lastEventTime();
    message.data.data32[1] = systemTrayRequestDock;
    message.data.data32[2] = window_;
    xcb_send_event(connection_.get(), 0, owner->owner, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    connection_.flush();
    docked_ = true;
    return true;
}

bool SystemTray::handleEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
    case XCB_CLIENT_MESSAGE: {
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
        // A tray manager announces itself with MANAGER and its selection.
        if (message.window != connection_.root() || message.type != connection_.atom("MANAGER") ||
            message.data.data32[1] != managerSelection())
            return false;
        if (!docked_) dock();
        return true;
    }
    // The tray ended, or let the icon go: its window went with the tray's, or back to the root
    // window (from a tray that kept it in its save-set). A fresh window, unmapped at the size
    // it asks for, waits for the next tray.
    case XCB_DESTROY_NOTIFY: {
        const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (destroyed.window != window_) return false;
        if (isSentByClient(event)) return true;
        window_ = XCB_NONE;
        undock();
        return true;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& reparented = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (reparented.window != window_) return false;
        if (!isSentByClient(event) && reparented.parent == connection_.root()) undock();
        return true;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (configure.window != window_) return false;
        // A notice another client sent may claim any size; only the server's own count.
        if (isSentByClient(event)) return true;
        width_ = std::max<std::uint16_t>(1, configure.width);
        height_ = std::max<std::uint16_t>(1, configure.height);
        return true;
    }
    case XCB_EXPOSE:
        if (reinterpret_cast<const xcb_expose_event_t&>(event).window != window_) return false;
        draw();
        return true;
    case XCB_BUTTON_PRESS: {
        const auto& press = reinterpret_cast<const xcb_button_press_event_t&>(event);
        if (press.event != window_) return false;
        if (press.detail == 1 || press.detail == 3) clicked_(press.root_x, press.root_y);
        return true;
    }
    case XCB_BUTTON_RELEASE:
        return reinterpret_cast<const xcb_button_release_event_t&>(event).event == window_;
    default:
        return false;
    }
}

void SystemTray::draw() {
    xcb_clear_area(connection_.get(), 0, window_, 0, 0, 0, 0);
    if (!icon_) return;
    // The icon fits the smaller side, up to its largest size, centred; only its square is drawn.
    const int side = std::min({int(width_), int(height_), maximumIconSide});
    const int x = (width_ - side) / 2, y = (height_ - side) / 2;
    render::Canvas canvas(side, side);
    canvas.drawImage(icon_, appkit::Rect(0, 0, side, side));
    cairo_surface_flush(canvas.surface());
    cairo_surface_t* surface = cairo_xcb_surface_create(connection_.get(), window_, visual_->type, width_, height_);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_surface(context, canvas.surface(), x, y);
    cairo_rectangle(context, x, y, side, side);
    cairo_fill(context);
    cairo_destroy(context);
    cairo_surface_destroy(surface);
    connection_.flush();
}

}  // namespace display
