#pragma once

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Expected.hpp"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace display {

struct FreeWithFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
// An event or reply from xcb, which hands them out to be freed with free().
using XEvent = std::unique_ptr<xcb_generic_event_t, FreeWithFree>;
template <class Reply>
using XReply = std::unique_ptr<Reply, FreeWithFree>;

// Whether another client sent the event (SendEvent) rather than the server making it: anyone
// can send anything, so such events carry no authority.
inline bool isSentByClient(const xcb_generic_event_t& event) { return (event.response_type & 0x80) != 0; }

// One connection to an X server and its first screen: interned atoms, checked requests,
// and the events in arrival order, including those set aside while waiting for a
// particular one. Main thread only; owns the connection for its lifetime.
class X11Connection {
public:
    // Connects to the server the name gives (":1"; empty: $DISPLAY). Fails when there is no
    // name or the server does not answer.
    static foundation::Expected<std::unique_ptr<X11Connection>> open(const std::string& name);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }
    const std::string& name() const { return name_; }
    int screenNumber() const { return screenNumber_; }
    int fileDescriptor() const { return xcb_get_file_descriptor(connection_); }
    bool hasError() const { return xcb_connection_has_error(connection_) != 0; }

    xcb_atom_t atom(std::string_view name);
    // The error code the server answered a checked request with, or 0 when it succeeded.
    std::uint8_t errorCode(xcb_void_cookie_t cookie);
    void flush() { xcb_flush(connection_); }

    // The next event, set-aside ones first; null when none has arrived.
    XEvent nextEvent();
    // Moves events xcb already read (while waiting for replies) aside; true when any are.
    bool setAsideQueuedEvents();
    bool hasEventsAside() const { return !aside_.empty(); }
    // Reads events until one the predicate accepts or the process clock reaches the deadline;
    // the others are set aside for nextEvent. Null when none came in time or the connection
    // broke.
    XEvent waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& accepts,
                        foundation::Clock::TimePoint deadline);

    // The server time of the latest event that carried one (CurrentTime before any).
    xcb_timestamp_t lastEventTime() const { return lastEventTime_; }
    void noteEventTime(xcb_timestamp_t time);

private:
    X11Connection(xcb_connection_t* connection, xcb_screen_t* screen, int screenNumber, std::string name);

    xcb_connection_t* connection_;
    xcb_screen_t* screen_;
    int screenNumber_;
    std::string name_;
    std::map<std::string, xcb_atom_t, std::less<>> atoms_;
    std::deque<XEvent> aside_;
    xcb_timestamp_t lastEventTime_ = XCB_CURRENT_TIME;
};

}  // namespace display
