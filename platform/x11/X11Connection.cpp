#include "platform/x11/X11Connection.hpp"

#include <poll.h>

#include <algorithm>
#include <cstdlib>

namespace display {

foundation::Expected<std::unique_ptr<X11Connection>> X11Connection::open(const std::string& name) {
    std::string displayName = name;
    if (displayName.empty()) {
        const char* variable = std::getenv("DISPLAY");
        displayName = variable ? variable : "";
    }
    if (displayName.empty()) return foundation::Failure{"DISPLAY names no X server"};
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(displayName.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return foundation::Failure{"the X server " + displayName + " does not answer"};
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screenNumber && screens.rem; ++index) xcb_screen_next(&screens);
    if (!screens.rem) {
        xcb_disconnect(connection);
        return foundation::Failure{"the X server " + displayName + " has no such screen"};
    }
    return std::unique_ptr<X11Connection>(new X11Connection(connection, screens.data, screenNumber, displayName));
}

X11Connection::X11Connection(xcb_connection_t* connection, xcb_screen_t* screen, int screenNumber, std::string name)
    : connection_(connection), screen_(screen), screenNumber_(screenNumber), name_(std::move(name)) {}

X11Connection::~X11Connection() {
    aside_.clear();
    xcb_disconnect(connection_);
}

xcb_atom_t X11Connection::atom(std::string_view name) {
    if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
    auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    XReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE) atoms_.emplace(std::string(name), atom);
    return atom;
}

std::uint8_t X11Connection::errorCode(xcb_void_cookie_t cookie) {
    XReply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
    return error ? error->error_code : 0;
}

XEvent X11Connection::nextEvent() {
    if (!aside_.empty()) {
        auto event = std::move(aside_.front());
        aside_.pop_front();
        return event;
    }
    return XEvent(xcb_poll_for_event(connection_));
}

bool X11Connection::setAsideQueuedEvents() {
    while (auto* event = xcb_poll_for_queued_event(connection_)) aside_.emplace_back(event);
    return !aside_.empty();
}

XEvent X11Connection::waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& accepts,
                                   foundation::Clock::TimePoint deadline) {
    flush();
    while (!hasError()) {
        while (auto* raw = xcb_poll_for_event(connection_)) {
            XEvent event(raw);
            if (accepts(*event)) return event;
            aside_.push_back(std::move(event));
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - foundation::Clock::now());
        if (left.count() <= 0) return nullptr;
        // The clock is read again every few milliseconds: a manual one moves without waking anyone.
        pollfd readable{fileDescriptor(), POLLIN, 0};
        ::poll(&readable, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 10)));
    }
    return nullptr;
}

void X11Connection::noteEventTime(xcb_timestamp_t time) {
    if (time != XCB_CURRENT_TIME) lastEventTime_ = time;
}

}  // namespace display
