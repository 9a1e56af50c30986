#pragma once

#include "platform/x11/X11Connection.hpp"

#include <optional>
#include <string>

namespace display {

// The general pasteboard as the X CLIPBOARD selection. Text the process writes is owned as
// the selection and served to whoever asks (as UTF-8, or Latin-1 where it fits) for as long
// as the process runs and no other client takes the selection over; text another client owns
// is asked for and awaited, up to a second in all (by the process clock), when the process
// reads. Text larger than one request can carry is refused rather than cut. Main thread
// only; owns nothing on the server but the selection, through the display's own window.
class X11Clipboard {
public:
    X11Clipboard(X11Connection& connection, xcb_window_t window) : connection_(connection), window_(window) {}

    // The process's pasteboard now holds the text (nullopt: nothing).
    void publish(std::optional<std::string> text);
    bool ownsSelection() const { return owned_; }
    // The owner's text as UTF-8; nullopt when nobody owns the selection, the owner has no
    // text, it is not UTF-8, or no answer came within a second.
    std::optional<std::string> readFromOwner();

    void handleSelectionRequest(const xcb_selection_request_event_t& request);
    // True when the clipboard selection passed to another client.
    bool handleSelectionClear(const xcb_selection_clear_event_t& clear);

private:
    bool answer(const xcb_selection_request_event_t& request, xcb_atom_t property);
    bool serverOwnerIsWindow();
    std::optional<std::string> convert(xcb_atom_t target, foundation::Clock::TimePoint deadline);

    X11Connection& connection_;
    xcb_window_t window_;
    std::string text_;
    bool owned_ = false;
    xcb_timestamp_t ownedSince_ = XCB_CURRENT_TIME;
};

}  // namespace display
