#include "desktop/DesktopClient.hpp"

#include "platform/x11/X11ScreenCapture.hpp"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace desktop {

using display::XReply;

namespace {

constexpr int trayWidth = 240, trayHeight = 24, trayIconSide = 22, trayIconGap = 4;
constexpr std::uint32_t trayDockRequest = 0;

std::string propertyText(display::X11Connection& connection, xcb_window_t window, xcb_atom_t property,
                         xcb_atom_t type) {
    XReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection.get(), xcb_get_property(connection.get(), 0, window, property, type, 0, 1024), nullptr));
    if (!reply) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

foundation::Expected<std::unique_ptr<DesktopClient>> DesktopClient::connect(const std::string& displayName) {
    auto connection = display::X11Connection::open(displayName);
    if (!connection) return foundation::Failure{connection.error()};
    return std::unique_ptr<DesktopClient>(new DesktopClient(std::move(*connection)));
}

std::vector<ServerWindow> DesktopClient::windowsOf(pid_t process) {
    auto* connection = connection_->get();
    std::vector<ServerWindow> found;
    XReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, connection_->root()), nullptr));
    if (!tree) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        xcb_window_t window = children[index];
        XReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
            continue;
        auto owner = propertyText(*connection_, window, connection_->atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        std::uint32_t ownerProcess = 0;
        if (owner.size() != sizeof ownerProcess) continue;
        std::memcpy(&ownerProcess, owner.data(), sizeof ownerProcess);
        if (ownerProcess != std::uint32_t(process)) continue;
        XReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
        if (!geometry) continue;
        found.push_back(
            {window, geometry->x, geometry->y, geometry->width, geometry->height,
             propertyText(*connection_, window, connection_->atom("_NET_WM_NAME"), connection_->atom("UTF8_STRING"))});
    }
    return found;
}

xcb_window_t DesktopClient::focus() {
    XReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection_->get(), xcb_get_input_focus(connection_->get()), nullptr));
    return reply ? reply->focus : XCB_NONE;
}

std::shared_ptr<appkit::Image> DesktopClient::screenshot() { return display::captureScreen(*connection_); }

bool DesktopClient::showApplicationWindow(const std::string& applicationClass, int x, int y, int width, int height) {
    auto* connection = connection_->get();
    ownWindow_ = xcb_generate_id(connection);
    const std::uint32_t values[] = {connection_->screen()->white_pixel,
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, ownWindow_, connection_->root(), std::int16_t(x),
                      std::int16_t(y), std::uint16_t(width), std::uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    std::string instance = applicationClass;
    std::transform(instance.begin(), instance.end(), instance.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::string hint = instance + '\0' + applicationClass + '\0';
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, ownWindow_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        std::uint32_t(hint.size()), hint.data());
    xcb_map_window(connection, ownWindow_);
    auto mapped = connection_->waitForEvent(
        [&](const xcb_generic_event_t& event) {
            return (event.response_type & 0x7F) == XCB_MAP_NOTIFY &&
                   reinterpret_cast<const xcb_map_notify_event_t&>(event).window == ownWindow_;
        },
        foundation::Clock::now() + std::chrono::seconds(1));
    if (!mapped) return false;
    focusApplicationWindow();
    return true;
}

void DesktopClient::focusApplicationWindow() {
    xcb_set_input_focus(connection_->get(), XCB_INPUT_FOCUS_POINTER_ROOT, ownWindow_, XCB_CURRENT_TIME);
    connection_->flush();
}

void DesktopClient::readEvents() {
    while (auto event = connection_->nextEvent()) {
        const std::uint8_t type = event->response_type & 0x7F;
        const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(*event);
        if (type == XCB_KEY_PRESS && press.event == ownWindow_) keysTyped_.push_back(press.detail);
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(*event);
        if (type == XCB_CLIENT_MESSAGE && message.window == tray_ &&
            message.type == connection_->atom("_NET_SYSTEM_TRAY_OPCODE") && message.data.data32[1] == trayDockRequest)
            dock(message.data.data32[2]);
        // An icon that goes (its application shows another one instead) leaves its place.
        const auto& destroyed = reinterpret_cast<const xcb_destroy_notify_event_t&>(*event);
        if (type == XCB_DESTROY_NOTIFY && destroyed.event == tray_ && std::erase(trayIcons_, destroyed.window))
            placeTrayIcons();
    }
}

bool DesktopClient::startSystemTray(TrayIconSizing sizing) {
    auto* connection = connection_->get();
    xcb_atom_t selection = connection_->atom("_NET_SYSTEM_TRAY_S" + std::to_string(connection_->screenNumber()));
    XReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    if (!owner || owner->owner != XCB_NONE) return false;
    tray_ = xcb_generate_id(connection);
    traySizing_ = sizing;
    trayX_ = connection_->screen()->width_in_pixels - trayWidth;
    const std::uint32_t values[] = {0xDEDEDE, 1, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, tray_, connection_->root(), std::int16_t(trayX_), 0, trayWidth,
                      trayHeight, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection, tray_);
    xcb_set_selection_owner(connection, tray_, selection, XCB_CURRENT_TIME);
    // The tray announces itself to the clients waiting for one.
    xcb_client_message_event_t announcement{};
    announcement.response_type = XCB_CLIENT_MESSAGE;
    announcement.format = 32;
    announcement.window = connection_->root();
    announcement.type = connection_->atom("MANAGER");
    announcement.data.data32[0] = XCB_CURRENT_TIME;
    announcement.data.data32[1] = selection;
    announcement.data.data32[2] = tray_;
    xcb_send_event(connection, 0, connection_->root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&announcement));
    connection_->flush();
    return true;
}

void DesktopClient::endSystemTray() {
    xcb_destroy_window(connection_->get(), tray_);
    connection_->flush();
    tray_ = XCB_NONE;
    trayIcons_.clear();
}

void DesktopClient::dock(xcb_window_t icon) {
    // An icon may be gone before its request is read.
    if (connection_->errorCode(xcb_reparent_window_checked(connection_->get(), icon, tray_, 0, 0)) != 0) return;
    xcb_change_save_set(connection_->get(), XCB_SET_MODE_INSERT, icon);
    xcb_map_window(connection_->get(), icon);
    trayIcons_.push_back(icon);
    placeTrayIcons();
}

void DesktopClient::placeTrayIcons() {
    for (std::size_t index = 0; index < trayIcons_.size(); ++index) {
        auto [x, y] = trayIconCentre(index);
        auto [width, height] = trayIconSize(trayIcons_[index]);
        const std::uint32_t geometry[] = {std::uint32_t(x - trayX_) - width / 2, std::uint32_t(y) - height / 2, width,
                                          height};
        xcb_configure_window(
            connection_->get(), trayIcons_[index],
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, geometry);
    }
    connection_->flush();
}

std::pair<std::uint32_t, std::uint32_t> DesktopClient::trayIconSize(xcb_window_t icon) {
    if (traySizing_ == TrayIconSizing::imposed) return {trayIconSide, trayIconSide};
    XReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_->get(),
        xcb_get_property(connection_->get(), 0, icon, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, 18), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) < int(18 * sizeof(std::uint32_t))) return {1, 1};
    const auto* hints = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    constexpr std::uint32_t minimumSize = 16, baseSize = 256;
    if (hints[0] & minimumSize) return {std::max(hints[5], 1u), std::max(hints[6], 1u)};
    if (hints[0] & baseSize) return {std::max(hints[15], 1u), std::max(hints[16], 1u)};
    return {1, 1};
}

std::pair<int, int> DesktopClient::trayIconCentre(std::size_t index) const {
    return {trayX_ + trayWidth - (trayIconSide + trayIconGap) * int(index + 1) + trayIconSide / 2, trayHeight / 2};
}

bool DesktopClient::wasTypedIntoApplicationWindow(char character) {
    auto* connection = connection_->get();
    focus();  // the round trip
    readEvents();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    XReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode,
                                 std::uint8_t(setup->max_keycode - setup->min_keycode + 1)),
        nullptr));
    bool typed = false;
    if (mapping) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perKey = mapping->keysyms_per_keycode;
        for (xcb_keycode_t key : keysTyped_)
            for (int level = 0; level < perKey; ++level)
                typed = typed || symbols[(key - setup->min_keycode) * perKey + level] == xcb_keysym_t(character);
    }
    keysTyped_.clear();
    return typed;
}

bool DesktopClient::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        readEvents();
        if (condition()) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || connection_->hasError()) return false;
        pollfd readable{connection_->fileDescriptor(), POLLIN, 0};
        ::poll(&readable, 1, int(std::min<long>(left.count(), 20)));
    }
}

}  // namespace desktop
