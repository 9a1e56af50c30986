#include "platform/x11/X11KeyboardHold.hpp"

#include "platform/appkit/WindowList.hpp"
#include "platform/x11/X11Focus.hpp"
#include "platform/x11/X11MenuGrab.hpp"

namespace display {

namespace {

// How long after the hot key came up the hold waits at most for the key window's focus (a
// window manager may refuse to activate it, or the window never shows).
constexpr auto focusWait = std::chrono::seconds(1);

}  // namespace

X11KeyboardHold::X11KeyboardHold(X11Connection& connection, const X11Focus& focus, const X11MenuGrab& menuGrab,
                                 Delivery deliver)
    : connection_(connection), focus_(focus), menuGrab_(menuGrab), deliver_(std::move(deliver)) {}

X11KeyboardHold::~X11KeyboardHold() {
    if (held_) letGo();
}

void X11KeyboardHold::answerPress(xcb_keycode_t key, xcb_timestamp_t time, Press press) {
    auto* connection = connection_.get();
    if (press == Press::hotKey) {
        // Grabbed by this client already (the hot key's grab, an open menu's, an earlier hold),
        // the keyboard becomes held until let go, and runs again.
        XReply<xcb_grab_keyboard_reply_t> grab(xcb_grab_keyboard_reply(
            connection,
            xcb_grab_keyboard(connection, 1, connection_.root(), time, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr));
        if (grab && grab->status == XCB_GRAB_STATUS_SUCCESS) {
            held_ = true;
            hotKey_ = key;
            hotKeyDown_ = true;
            deadline_.reset();
            return;
        }
    }
    // Does nothing unless a grab of this client stopped the keyboard.
    xcb_allow_events(connection, XCB_ALLOW_ASYNC_KEYBOARD, XCB_CURRENT_TIME);
    connection_.flush();
}

void X11KeyboardHold::noteRelease(xcb_keycode_t key) {
    if (!held_ || !hotKeyDown_ || key != hotKey_) return;
    hotKeyDown_ = false;
    deadline_ = foundation::RunLoop::main()->addTimer(
        focusWait, std::nullopt,
        [this] {
            if (appkit::WindowList::shared().keyWindow()) deliverKept();
            letGo();
        },
        foundation::NSRunLoopCommonModes);
}

bool X11KeyboardHold::keepsKeysBack() const {
    return held_ && (hotKeyDown_ || !appkit::WindowList::shared().keyWindow());
}

void X11KeyboardHold::settle() {
    if (!held_ || hotKeyDown_) return;
    if (!appkit::WindowList::shared().keyWindow()) return letGo();
    deliverKept();
    if (focus_.keyWindowHasFocus()) letGo();
}

void X11KeyboardHold::deliverKept() {
    auto kept = std::move(kept_);
    kept_.clear();
    for (const auto& key : kept) deliver_(key);
}

void X11KeyboardHold::letGo() {
    held_ = false;
    kept_.clear();
    deadline_.reset();
    // An open menu holds the keyboard for itself, until its tracking ends.
    if (!menuGrab_.isHeld()) xcb_ungrab_keyboard(connection_.get(), XCB_CURRENT_TIME);
    connection_.flush();
}

}  // namespace display
