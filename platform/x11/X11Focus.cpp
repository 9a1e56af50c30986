#include "platform/x11/X11Focus.hpp"

#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/WindowList.hpp"

#include <utility>

namespace display {

namespace {

bool isGrabTransition(std::uint8_t mode) { return mode == XCB_NOTIFY_MODE_GRAB || mode == XCB_NOTIFY_MODE_UNGRAB; }

bool concernsWindowItself(std::uint8_t detail) {
    return detail != XCB_NOTIFY_DETAIL_INFERIOR && detail != XCB_NOTIFY_DETAIL_POINTER &&
           detail != XCB_NOTIFY_DETAIL_POINTER_ROOT && detail != XCB_NOTIFY_DETAIL_NONE;
}

}  // namespace

xcb_window_t X11Focus::currentFocus() {
    XReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
    return reply ? reply->focus : XCB_NONE;
}

bool X11Focus::isNoClient(xcb_window_t focus) const {
    return focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus == connection_.root();
}

void X11Focus::update() {
    auto key = appkit::WindowList::shared().keyWindow();
    if (key == givenTo_.lock() && (key != nullptr) == hadKeyWindow_) return;
    if (!key) {
        givenTo_.reset();
        hadKeyWindow_ = false;
        // Focus still with the application (or fallen to the root as its window went):
        // back to where it was before.
        keyWindowAwaitsFocus_ = false;
        xcb_window_t focus = currentFocus();
        bool ours = belongsToApplication(focus) || isNoClient(focus);
        if (ours && returnTo_ != XCB_NONE)
            xcb_set_input_focus(connection_.get(), XCB_INPUT_FOCUS_POINTER_ROOT, returnTo_, connection_.lastEventTime());
        returnTo_ = XCB_NONE;
        return;
    }
    auto* mirrored = windows_.find(*key);
    keyWindowAwaitsFocus_ = !mirrored || mirrored->identifier() != focused_;
    if (!mirrored || !mirrored->isViewable()) return;  // again once the server shows it
    xcb_window_t focus = currentFocus();
    if (!belongsToApplication(focus) && !isNoClient(focus)) returnTo_ = focus;
    giveFocus(*mirrored);
    givenTo_ = key;
    hadKeyWindow_ = true;
}

bool X11Focus::keyWindowHasFocus() const {
    auto key = appkit::WindowList::shared().keyWindow();
    auto* mirrored = key ? windows_.find(*key) : nullptr;
    return mirrored && mirrored->identifier() == focused_;
}

bool X11Focus::windowManagerRuns() {
    XReply<xcb_get_property_reply_t> manager(xcb_get_property_reply(
        connection_.get(),
        xcb_get_property(connection_.get(), 0, connection_.root(), connection_.atom("_NET_SUPPORTING_WM_CHECK"),
                         XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    return manager && xcb_get_property_value_length(manager.get()) == 4;
}

void X11Focus::askWindowManagerToActivate(xcb_window_t window, ActivationSource source) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = connection_.atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = static_cast<std::uint32_t>(source);
    message.data.data32[1] = connection_.lastEventTime();
    xcb_send_event(connection_.get(), 0, connection_.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

void X11Focus::giveFocus(const X11Window& window) {
    if (window.kind() == X11WindowKind::managed && windowManagerRuns())
        return askWindowManagerToActivate(window.identifier(), ActivationSource::application);
    xcb_set_input_focus(connection_.get(), XCB_INPUT_FOCUS_PARENT, window.identifier(), connection_.lastEventTime());
}

void X11Focus::focusIn(const xcb_focus_in_event_t& event) {
    if (isGrabTransition(event.mode) || !concernsWindowItself(event.detail)) return;
    auto* mirrored = windows_.find(event.event);
    if (!mirrored) return;
    focused_ = event.event;
    leftPending_ = false;
    gaveFocusAway_ = false;
    appkit::RunningApplication::currentApplication()->activate();  // the session follows the focus
    auto window = mirrored->window();
    if (!window) return;
    // A notice read late, for a window closed or ordered out since, makes nothing key, and
    // the window made key meanwhile still waits for the focus.
    if (!window->isKeyWindow() && window->isVisible() && window->canBecomeKeyWindow()) window->makeKeyWindow();
    if (window->isKeyWindow()) {
        givenTo_ = window;
        hadKeyWindow_ = true;
        keyWindowAwaitsFocus_ = false;
    }
}

void X11Focus::focusOut(const xcb_focus_out_event_t& event) {
    if (isGrabTransition(event.mode) || !concernsWindowItself(event.detail)) return;
    if (event.event != focused_) return;
    focused_ = XCB_NONE;
    leftPending_ = true;
}

void X11Focus::settle() {
    if (!leftPending_ || focused_ != XCB_NONE) return;
    // The notice of focus reaching another window of the application may come in a later
    // batch (one window closing as another is given the focus), or the window manager may
    // not have given the key window the focus yet: the server's focus now decides. A
    // notice of it arriving ends the wait; until then each batch asks again.
    xcb_window_t focus = currentFocus();
    if (belongsToApplication(focus) || (keyWindowAwaitsFocus_ && isNoClient(focus))) return;
    leftPending_ = false;
    keyWindowAwaitsFocus_ = false;
    returnTo_ = XCB_NONE;
    if (std::exchange(gaveFocusAway_, false)) {
        // The application activated that client itself, which took its key status then; a
        // window made key since (shown again at once) is not the one the focus left.
        givenTo_.reset();
        hadKeyWindow_ = false;
        return;
    }
    if (auto key = appkit::WindowList::shared().keyWindow()) key->resignKeyWindow();
    if (auto client = classOf(focus); !client.empty())
        appkit::RunningApplication::withBundleIdentifier(client)->activate();
    givenTo_.reset();
    hadKeyWindow_ = false;
}

std::string X11Focus::classOfFocusedClient() { return classOf(currentFocus()); }

std::string X11Focus::classOf(xcb_window_t window) {
    while (window != XCB_NONE && window != XCB_INPUT_FOCUS_POINTER_ROOT && window != connection_.root()) {
        XReply<xcb_get_property_reply_t> hint(xcb_get_property_reply(
            connection_.get(), xcb_get_property(connection_.get(), 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
            nullptr));
        if (hint && xcb_get_property_value_length(hint.get()) > 0) {
            std::string value(static_cast<const char*>(xcb_get_property_value(hint.get())),
                              static_cast<std::size_t>(xcb_get_property_value_length(hint.get())));
            auto instanceEnd = value.find('\0');
            if (instanceEnd == std::string::npos) return value;
            auto className = value.substr(instanceEnd + 1);
            return className.substr(0, className.find('\0'));
        }
        XReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection_.get(), xcb_query_tree(connection_.get(), window), nullptr));
        if (!tree) break;
        window = tree->parent;
    }
    return {};
}

void X11Focus::followOtherClients() {
    // A key window waits for the focus the application asked for.
    if (applicationHasFocus() || appkit::WindowList::shared().keyWindow()) return;
    xcb_window_t focus = currentFocus();
    if (belongsToApplication(focus)) return;
    if (auto client = classOf(focus); !client.empty())
        appkit::RunningApplication::withBundleIdentifier(client)->activate();
}

void X11Focus::focusApplication(const std::string& windowClass) {
    if (windowClass.empty() || classOfFocusedClient() == windowClass) return;
    // Top-level windows and, under a window manager, the clients in its frames.
    auto viewable = [&](xcb_window_t window) {
        XReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection_.get(), xcb_get_window_attributes(connection_.get(), window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    };
    xcb_window_t target = XCB_NONE;
    if (returnTo_ != XCB_NONE && classOf(returnTo_) == windowClass && viewable(returnTo_)) target = returnTo_;
    XReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_.get(), xcb_query_tree(connection_.get(), connection_.root()), nullptr));
    const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
    const int count = tree ? xcb_query_tree_children_length(tree.get()) : 0;
    for (int index = count - 1; target == XCB_NONE && index >= 0; --index) {
        xcb_window_t top = children[index];
        if (belongsToApplication(top) || !viewable(top)) continue;
        if (classOf(top) == windowClass) target = top;
        XReply<xcb_query_tree_reply_t> framed(
            xcb_query_tree_reply(connection_.get(), xcb_query_tree(connection_.get(), top), nullptr));
        const int clients = framed ? xcb_query_tree_children_length(framed.get()) : 0;
        for (int inner = clients - 1; inner >= 0 && target == XCB_NONE; --inner) {
            xcb_window_t client = xcb_query_tree_children(framed.get())[inner];
            if (classOf(client) == windowClass) target = client;
        }
    }
    if (target == XCB_NONE) return;
    returnTo_ = XCB_NONE;
    gaveFocusAway_ = applicationHasFocus();
    if (windowManagerRuns()) return askWindowManagerToActivate(target, ActivationSource::user);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_.get(), target, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(connection_.get(), XCB_INPUT_FOCUS_POINTER_ROOT, target, connection_.lastEventTime());
}

}  // namespace display
