#include "platform/x11/X11Display.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "platform/x11/SystemTray.hpp"
#include "platform/x11/X11Clipboard.hpp"
#include "platform/x11/X11EventWatcher.hpp"
#include "platform/x11/X11Focus.hpp"
#include "platform/x11/X11HotKeyGrabs.hpp"
#include "platform/x11/X11Keyboard.hpp"
#include "platform/x11/X11KeyboardHold.hpp"
#include "platform/x11/X11MenuGrab.hpp"
#include "platform/x11/X11ScreenCapture.hpp"
#include "platform/x11/X11Visuals.hpp"
#include "platform/x11/X11WindowList.hpp"

#include <xcb/randr.h>
#include "platform/x11/XcbXkb.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace display {

namespace {

const darwin::os_log_t& displayLog() {
    static const darwin::os_log_t log = darwin::os_log_create("platform.display", "X11");
    return log;
}

// The longest pause between the clicks of a double click, in the server's milliseconds, and
// how far apart they may land.
constexpr xcb_timestamp_t doubleClickInterval = 500;
constexpr int doubleClickDistance = 4;
// How far one step of the scroll wheel moves the content, in points.
constexpr double wheelStep = 20;

// A point of the X window as the application's window sees it: window coordinates grow
// up from the bottom of the content area.
appkit::Point locationInWindow(const appkit::Window& window, int x, int y) {
    return {double(x), window.contentRectForFrameRect(window.frame()).height() - y};
}

}  // namespace

foundation::Expected<std::unique_ptr<X11Display>> X11Display::connect(const std::string& name) {
    dispatch::checkMainThread();
    auto connection = X11Connection::open(name);
    if (!connection) return foundation::Failure{connection.error()};
    auto keyboard = X11Keyboard::make(**connection);
    if (!keyboard) return foundation::Failure{keyboard.error()};
    std::unique_ptr<X11Display> display(new X11Display(std::move(*connection), std::move(*keyboard)));
    display->setUp();
    return display;
}

X11Display::X11Display(std::unique_ptr<X11Connection> connection, std::unique_ptr<X11Keyboard> keyboard)
    : connection_(std::move(connection)), keyboard_(std::move(keyboard)) {}

void X11Display::setUp() {
    visuals_ = std::make_unique<X11Visuals>(*connection_);
    auto* connection = connection_->get();

    // An unmapped window of the display's own: it owns the selection and receives answers.
    ownWindow_ = xcb_generate_id(connection);
    const std::uint32_t ownEvents[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, ownWindow_, connection_->root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, ownEvents);
    // Tray managers announce themselves to the root window's structure listeners; a window
    // manager names the active window in a property of the root window.
    const std::uint32_t rootEvents[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_change_window_attributes(connection, connection_->root(), XCB_CW_EVENT_MASK, rootEvents);
    if (const auto* randr = xcb_get_extension_data(connection, &xcb_randr_id); randr && randr->present) {
        randrEventBase_ = randr->first_event;
        xcb_randr_select_input(connection, connection_->root(), XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
    }
    layOutScreens();

    windows_ = std::make_unique<X11WindowList>(*connection_, *visuals_);
    focus_ = std::make_unique<X11Focus>(*connection_, *windows_);
    grabs_ = std::make_unique<X11HotKeyGrabs>(*connection_, *keyboard_);
    clipboard_ = std::make_unique<X11Clipboard>(*connection_, ownWindow_);
    menuGrab_ = std::make_unique<X11MenuGrab>(*connection_);
    keyboardHold_ = std::make_unique<X11KeyboardHold>(
        *connection_, *focus_, *menuGrab_, [this](const X11KeyboardHold::KeptKey& kept) {
            input_.deliverToApplication(kept.key, kept.direction, [&] { return kept.text; }, kept.isRepeat);
        });
    // The application starts behind the client that has the focus.
    focus_->followOtherClients();
    connection_->flush();

    watcher_ = std::make_unique<X11EventWatcher>(connection_->fileDescriptor(), [this] { return readEvents(); });
    updateObserver_ = foundation::RunLoop::main()->addObserver(
        foundation::kCFRunLoopBeforeWaiting | foundation::kCFRunLoopExit, true,
        [this](foundation::RunLoopActivity) { update(); }, foundation::NSRunLoopCommonModes);
    // Status items made before the display came.
    if (const auto& statusBar = appkit::StatusBar::systemStatusBar(); !statusBar.items().empty())
        statusBarDidChange(statusBar);
}

X11Display::~X11Display() {
    updateObserver_.reset();
    watcher_.reset();
    keyboardHold_.reset();
    menuGrab_.reset();
    tray_.reset();
    windows_.reset();
    if (ownWindow_ != XCB_NONE) xcb_destroy_window(connection_->get(), ownWindow_);
    connection_->flush();
}

void X11Display::layOutScreens() {
    layout_ = X11ScreenLayout::query(*connection_);
    std::vector<appkit::Rect> frames;
    for (const auto& screen : layout_.screens()) frames.emplace_back(screen.x, screen.y, screen.width, screen.height);
    appkit::Screen::setScreenFrames(frames);
}

std::string X11Display::frontmostApplication() const {
    return focus_->applicationHasFocus() ? ownApplication : focus_->classOfFocusedClient();
}

carbon::OSStatus X11Display::grabHotKey(carbon::UInt32 keyCode, carbon::UInt32 modifiers) {
    return grabs_->grab(keyCode, modifiers);
}

void X11Display::releaseHotKey(carbon::UInt32 keyCode, carbon::UInt32 modifiers) { grabs_->release(keyCode, modifiers); }

void X11Display::generalPasteboardDidChange(const appkit::Pasteboard& pasteboard) {
    clipboard_->publish(pasteboard.stringForType(appkit::NSPasteboardTypeString));
}

std::optional<std::string> X11Display::stringFromOtherApplication(const std::string& type) {
    if (type != appkit::NSPasteboardTypeString) return std::nullopt;
    return clipboard_->readFromOwner();
}

void X11Display::showMenuBarExtra(std::shared_ptr<appkit::Image> icon, std::function<void(appkit::Point)> clicked) {
    dispatch::checkMainThread();
    tray_ = std::make_unique<SystemTray>(*connection_, *visuals_, std::move(icon),
                                         [this, clicked = std::move(clicked)](int rootX, int rootY) {
                                             if (clicked) clicked(layout_.fromServer(rootX, rootY));
                                         });
    if (tray_->dock() || saidNoTray_) return;
    saidNoTray_ = true;
    darwin::os_log_with_type(displayLog(), darwin::os_log_type_t::defaultType,
                             "The desktop on " + connection_->name() +
                                 " has no system tray: the menu-bar extra is not shown until one starts");
}

void X11Display::statusBarDidChange(const appkit::StatusBar& statusBar) {
    if (statusBar.items().empty()) {
        tray_.reset();
        return;
    }
    const auto& item = statusBar.items().front();
    if (tray_ && shownStatusItem_.lock() == item && shownStatusIcon_ == item->image()) return;
    shownStatusItem_ = item;
    shownStatusIcon_ = item->image();
    std::weak_ptr<appkit::StatusItem> weakItem = item;
    showMenuBarExtra(item->image() ? item->image() : appkit::Image::filled(18, 18, 0x808080FF),
                     [weakItem](appkit::Point pointer) {
                         if (auto item = weakItem.lock()) item->performClick(pointer);
                     });
}

void X11Display::otherApplicationDidActivate(const appkit::RunningApplication& application) {
    focus_->focusApplication(application.bundleIdentifier());
    connection_->flush();
}

bool X11Display::isMenuBarExtraDocked() const { return tray_ && tray_->isDocked(); }

void X11Display::update() {
    dispatch::checkMainThread();
    windows_->update(layout_);
    focus_->update();
    menuGrab_->update();
    keyboardHold_->settle();
    connection_->flush();
    // Events read while waiting for replies are in no socket any more: their reading is due.
    if (connection_->setAsideQueuedEvents()) watcher_->signal();
}

bool X11Display::readEvents() {
    while (auto event = connection_->nextEvent()) handle(*event);
    focus_->settle();
    keyboardHold_->settle();
    // The window the keyboard is held for gets shown and focused now, not only once the main
    // run loop is idle enough to wait: until then every key typed is the application's.
    if (keyboardHold_->isHeld()) update();
    if (!connection_->hasError()) return true;
    // Nothing can be shown or typed any more: the application ends, as X clients do.
    std::string message = "The X server " + connection_->name() + " closed the connection";
    darwin::os_log_with_type(displayLog(), darwin::os_log_type_t::error, message);
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(EXIT_FAILURE);
}

void X11Display::handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    const bool isKeyOrButton =
        type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE || type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE;
    // Keys and clicks another client sent (the server marks them) are not the user's, as
    // terminal emulators hold; the server's own, its test extension's included, are.
    if (isKeyOrButton && isSentByClient(event)) return;
    // Also a click on the tray icon: what it opens may grab, focus or own a selection, which
    // the server takes only with a time no earlier than the click's.
    if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE)
        connection_->noteEventTime(reinterpret_cast<const xcb_button_press_event_t&>(event).time);
    if (tray_ && tray_->handleEvent(event)) return;
    switch (type) {
    case 0:  // an error from a request nobody checked: nothing to undo
        return;
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
        handleKey(reinterpret_cast<const xcb_key_press_event_t&>(event),
                  type == XCB_KEY_PRESS ? KeyDirection::down : KeyDirection::up);
        return;
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
        handleButton(reinterpret_cast<const xcb_button_press_event_t&>(event), type == XCB_BUTTON_PRESS);
        return;
    case XCB_MOTION_NOTIFY: handleMotion(reinterpret_cast<const xcb_motion_notify_event_t&>(event)); return;
    case XCB_LEAVE_NOTIFY: {
        // Crossings of a grab's start and end, and moves into a child window, leave nothing.
        const auto& crossing = reinterpret_cast<const xcb_leave_notify_event_t&>(event);
        auto* mirrored = windows_->find(crossing.event);
        if (mirrored && mirrored->window() && crossing.mode == XCB_NOTIFY_MODE_NORMAL &&
            crossing.detail != XCB_NOTIFY_DETAIL_INFERIOR)
            input_.deliverMouse(appkit::EventType::mouseExited, {}, mirrored->window()->windowNumber(), 0);
        return;
    }
    case XCB_EXPOSE:
        if (auto* window = windows_->find(reinterpret_cast<const xcb_expose_event_t&>(event).window))
            window->markExposed();
        return;
    case XCB_FOCUS_IN: focus_->focusIn(reinterpret_cast<const xcb_focus_in_event_t&>(event)); return;
    case XCB_FOCUS_OUT: focus_->focusOut(reinterpret_cast<const xcb_focus_out_event_t&>(event)); return;
    case XCB_MAP_NOTIFY:
        if (auto* window = windows_->find(reinterpret_cast<const xcb_map_notify_event_t&>(event).window))
            window->setViewable(true);
        return;
    case XCB_UNMAP_NOTIFY:
        if (auto* window = windows_->find(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window))
            window->setViewable(false);
        return;
    case XCB_CLIENT_MESSAGE: handleClientMessage(reinterpret_cast<const xcb_client_message_event_t&>(event)); return;
    case XCB_SELECTION_REQUEST: {
        const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(event);
        connection_->noteEventTime(request.time);
        clipboard_->handleSelectionRequest(request);
        return;
    }
    case XCB_SELECTION_CLEAR:
        if (clipboard_->handleSelectionClear(reinterpret_cast<const xcb_selection_clear_event_t&>(event)))
            appkit::Pasteboard::generalPasteboard()->takenByOtherApplication();
        return;
    case XCB_PROPERTY_NOTIFY: {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        connection_->noteEventTime(change.time);
        if (change.window == connection_->root() && change.atom == connection_->atom("_NET_ACTIVE_WINDOW"))
            focus_->followOtherClients();
        return;
    }
    default:
        break;
    }
    if (type == keyboard_->extensionEventBase()) {
        // The keyboard extension's events share one code; the kind follows it.
        std::uint8_t kind = reinterpret_cast<const std::uint8_t*>(&event)[1];
        if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) keyboard_->keymapChanged(event.sequence);
    } else if (randrEventBase_ && type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY) {
        layOutScreens();
    }
}

void X11Display::handleKey(const xcb_key_press_event_t& event, KeyDirection direction) {
    connection_->noteEventTime(event.time);
    bool down = direction == KeyDirection::down;
    if (!down) keyboardHold_->noteRelease(event.detail);
    // Modifier keys alone change only the flags of the keys that follow. A key without a
    // code still types its text (a character the layout lacks, remapped onto a spare key).
    if (keyboard_->isModifierKey(event.detail)) {
        if (down) keyboardHold_->answerPress(event.detail, event.time, X11KeyboardHold::Press::otherKey);
        return;
    }
    bool isRepeat = down && keysDown_.count(event.detail);
    if (down)
        keysDown_.insert(event.detail);
    else
        keysDown_.erase(event.detail);
    // A key on the root window came through a hot-key grab, whoever has the focus (the
    // application in front is known before the key's handlers ask), or to an open menu.
    bool receivesInput =
        windows_->find(event.event) != nullptr || focus_->applicationHasFocus() || menuGrab_->isHeld();
    if (!receivesInput) focus_->followOtherClients();
    KeyCombination key{keyboard_->virtualKeyCode(event.detail), keyboard_->carbonModifiers(event.state)};
    auto text = [&] { return keyboard_->text(event.detail, event.state, direction); };
    // A hot key's handlers run while its press holds the keyboard still; the answer follows.
    auto hotKeyRoute = input_.deliverToHotKey(key, direction, isRepeat);
    if (down) {
        bool tookAsHotKey = hotKeyRoute == KeyRoute::hotKey && !isRepeat;
        keyboardHold_->answerPress(event.detail, event.time,
                                   tookAsHotKey ? X11KeyboardHold::Press::hotKey : X11KeyboardHold::Press::otherKey);
    }
    if (hotKeyRoute) return keyboardHold_->settle();  // its handlers may have made a window key
    // While the keyboard is held for the window a hot key makes key, every key is for it.
    if (keyboardHold_->keepsKeysBack()) return keyboardHold_->keepBack({key, direction, text(), isRepeat});
    if (receivesInput || keyboardHold_->isHeld()) input_.deliverToApplication(key, direction, text, isRepeat);
}

void X11Display::handleButton(const xcb_button_press_event_t& event, bool pressed) {
    auto* mirrored = windows_->find(event.event);
    auto window = mirrored ? mirrored->window() : nullptr;
    if (!window) {
        // A click elsewhere ends the tracking of an open menu, as on the platform.
        if (pressed && menuGrab_->isHeld()) appkit::Application::shared()->endMenuTracking();
        return;
    }
    auto location = locationInWindow(*window, event.event_x, event.event_y);
    if (event.detail == 4 || event.detail == 5) {  // a step of the wheel, up or down
        if (pressed) input_.deliverScroll(location, window->windowNumber(), event.detail == 4 ? wheelStep : -wheelStep);
        return;
    }
    appkit::EventType type;
    switch (event.detail) {
    case 1: type = pressed ? appkit::EventType::leftMouseDown : appkit::EventType::leftMouseUp; break;
    case 2: type = pressed ? appkit::EventType::otherMouseDown : appkit::EventType::otherMouseUp; break;
    case 3: type = pressed ? appkit::EventType::rightMouseDown : appkit::EventType::rightMouseUp; break;
    default: return;  // further buttons
    }
    if (pressed) {
        bool again = lastClick_.button == event.detail && event.time - lastClick_.time <= doubleClickInterval &&
                     std::abs(event.root_x - lastClick_.x) <= doubleClickDistance &&
                     std::abs(event.root_y - lastClick_.y) <= doubleClickDistance;
        lastClick_ = {event.detail, event.time, event.root_x, event.root_y, again ? lastClick_.count + 1 : 1};
        // Clicking a window that can be key makes it key, as on the platform.
        if (!window->isKeyWindow() && window->canBecomeKeyWindow()) window->makeKeyWindow();
    }
    input_.deliverMouse(type, location, window->windowNumber(), lastClick_.count, keyboard_->carbonModifiers(event.state));
}

void X11Display::handleMotion(const xcb_motion_notify_event_t& event) {
    auto* mirrored = windows_->find(event.event);
    auto window = mirrored ? mirrored->window() : nullptr;
    if (!window) return;
    input_.deliverMouse(appkit::EventType::mouseMoved, locationInWindow(*window, event.event_x, event.event_y),
                        window->windowNumber(), 0, keyboard_->carbonModifiers(event.state));
}

void X11Display::handleClientMessage(const xcb_client_message_event_t& event) {
    if (event.type != connection_->atom("WM_PROTOCOLS") || event.format != 32 ||
        event.data.data32[0] != connection_->atom("WM_DELETE_WINDOW"))
        return;
    auto* mirrored = windows_->find(event.window);
    auto window = mirrored ? mirrored->window() : nullptr;
    if (window && (window->styleMask() & appkit::WindowStyleMask::closable)) window->close();
}

std::shared_ptr<appkit::Image> X11Display::screenshot() {
    dispatch::checkMainThread();
    // What drawing, stacking and shaping exposed is known once the server answered a round
    // trip after them; drawn again, the picture is whole.
    update();
    XReply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(connection_->get(), xcb_get_input_focus(connection_->get()), nullptr));
    readEvents();
    update();
    return captureScreen(*connection_);
}

std::uint64_t X11Display::framesDrawn(const appkit::Window& window) const {
    auto* mirrored = windows_->find(window);
    return mirrored ? mirrored->framesDrawn() : 0;
}

xcb_window_t X11Display::serverWindow(const appkit::Window& window) const {
    auto* mirrored = windows_->find(window);
    return mirrored ? mirrored->identifier() : XCB_NONE;
}

bool X11Display::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    dispatch::checkMainThread();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto loop = foundation::RunLoop::main();
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        loop->run(foundation::NSDefaultRunLoopMode, foundation::Clock::now() + std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace display
