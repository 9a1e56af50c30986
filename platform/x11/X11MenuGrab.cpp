#include "platform/x11/X11MenuGrab.hpp"

#include "platform/appkit/Application.hpp"

namespace display {

X11MenuGrab::~X11MenuGrab() {
    if (held_) release();
}

void X11MenuGrab::update() {
    bool tracking = appkit::Application::shared()->trackingMenu() != nullptr;
    if (tracking == held_) return;
    held_ = tracking;
    if (!tracking) return release();
    // Another client's grab leaves the menu to the focus and to clicks on it, as before.
    auto* connection = connection_.get();
    xcb_grab_keyboard(connection, 1, connection_.root(), connection_.lastEventTime(), XCB_GRAB_MODE_ASYNC,
                      XCB_GRAB_MODE_ASYNC);
    xcb_grab_pointer(connection, 1, connection_.root(), XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, connection_.lastEventTime());
}

void X11MenuGrab::release() {
    xcb_ungrab_keyboard(connection_.get(), XCB_CURRENT_TIME);
    xcb_ungrab_pointer(connection_.get(), XCB_CURRENT_TIME);
}

}  // namespace display
