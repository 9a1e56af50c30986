#include "platform/display/HeadlessDisplay.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/carbon/TextInputSources.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <stdexcept>

namespace display {

namespace {

KeyCombination parsed(std::string_view text) {
    auto combination = KeyCombination::parse(text);
    if (!combination) throw std::invalid_argument("no such key combination: " + std::string(text));
    return *combination;
}

std::string translate(std::uint16_t keyCode, std::uint32_t modifiers, std::uint32_t* deadKeyState) {
    auto layout = carbon::TISGetInputSourceProperty(carbon::TISCopyCurrentASCIICapableKeyboardLayoutInputSource(),
                                                    carbon::kTISPropertyUnicodeKeyLayoutData);
    if (!layout) return {};
    char16_t buffer[8];
    carbon::UniCharCount length = 0;
    auto status = carbon::UCKeyTranslate(layout.get(), keyCode, carbon::kUCKeyActionDown, (modifiers >> 8) & 0xFF,
                                         carbon::LMGetKbdType(), 0, deadKeyState, 8, &length, buffer);
    if (status != carbon::noErr) return {};
    return carbon::utf8FromUTF16(std::u16string_view(buffer, length));
}

// What the key types with these modifiers, apart from any dead key in progress.
std::string typedAlone(std::uint16_t keyCode, std::uint32_t modifiers) {
    std::uint32_t deadKeyState = 0;
    return translate(keyCode, modifiers, &deadKeyState);
}

}  // namespace

HeadlessDisplay::HeadlessDisplay(std::vector<ScreenFrame> screens) {
    setScreens(std::move(screens));
    setFrontmostApplication(ownApplication);
}

std::string HeadlessDisplay::frontmostApplication() const {
    auto frontmost = appkit::RunningApplication::frontmostApplication();
    if (!frontmost) return {};
    return frontmost->isCurrent() ? ownApplication : frontmost->bundleIdentifier();
}

void HeadlessDisplay::setFrontmostApplication(const std::string& identifier) {
    auto application = identifier == ownApplication ? appkit::RunningApplication::currentApplication()
                                                    : appkit::RunningApplication::withBundleIdentifier(identifier);
    application->activate();
}

void HeadlessDisplay::setScreens(std::vector<ScreenFrame> screens) {
    dispatch::checkMainThread();
    screens_ = std::move(screens);
    std::vector<appkit::Rect> frames;
    for (const auto& screen : screens_) frames.emplace_back(screen.x, screen.y, screen.width, screen.height);
    appkit::Screen::setScreenFrames(frames);
}

void HeadlessDisplay::reserveHotKeyForOtherApplication(std::string_view combination) {
    auto key = parsed(combination);
    carbon::EventManager::shared().reserveForOtherApplication(key.keyCode, key.carbonModifiers);
}

void HeadlessDisplay::pressKeys(std::string_view combination) {
    dispatch::checkMainThread();
    auto key = parsed(combination);
    keyDown(key);
    keyUp(key);
}

void HeadlessDisplay::keyDown(std::string_view combination) { keyDown(parsed(combination)); }

void HeadlessDisplay::keyUp(std::string_view combination) { keyUp(parsed(combination)); }

void HeadlessDisplay::keyDown(KeyCombination combination) { key(combination, KeyDirection::down); }

void HeadlessDisplay::keyUp(KeyCombination combination) { key(combination, KeyDirection::up); }

bool HeadlessDisplay::ownApplicationReceivesInput() const {
    return appkit::RunningApplication::currentApplication()->isActive() ||
           appkit::Application::shared()->trackingMenu() != nullptr;
}

void HeadlessDisplay::key(KeyCombination combination, KeyDirection direction) {
    dispatch::checkMainThread();
    bool down = direction == KeyDirection::down;
    auto route = input_.deliverKey(combination, direction, ownApplicationReceivesInput(), [&] {
        return TypedText{down ? translate(combination.keyCode, combination.carbonModifiers, &deadKeyState_)
                              : typedAlone(combination.keyCode, combination.carbonModifiers),
                         typedAlone(combination.keyCode, combination.carbonModifiers & carbon::shiftKey)};
    });
    if (route == KeyRoute::otherApplication && down)
        otherApplicationKeys_.push_back(frontmostApplication() + ": " + std::to_string(combination.keyCode));
}

void HeadlessDisplay::click(appkit::Point location) {
    dispatch::checkMainThread();
    postMouseEvent(appkit::EventType::leftMouseDown, location);
    postMouseEvent(appkit::EventType::leftMouseUp, location);
}

std::shared_ptr<appkit::Window> HeadlessDisplay::windowAt(appkit::Point screenPoint) {
    for (const auto& window : appkit::WindowList::shared().orderedWindows())
        if (!window->ignoresMouseEvents() && window->frame().contains(screenPoint)) return window;
    return nullptr;
}

bool HeadlessDisplay::clickOnScreen(appkit::Point screenPoint, MouseButton button) {
    auto window = windowAt(screenPoint);
    if (!window) {
        // A click anywhere else ends the tracking of an open menu, as on the platform.
        if (auto application = appkit::Application::shared(); application->trackingMenu()) application->endMenuTracking();
        return false;
    }
    // Window coordinates grow up from the window's bottom-left corner, like the screen's.
    appkit::Point location{screenPoint.x - window->frame().minX(), screenPoint.y - window->frame().minY()};
    // Clicking a window that can be key makes it key, as on the platform.
    if (!window->isKeyWindow() && window->canBecomeKeyWindow()) window->makeKeyWindow();
    bool left = button == MouseButton::left;
    input_.deliverMouse(left ? appkit::EventType::leftMouseDown : appkit::EventType::rightMouseDown, location,
                        window->windowNumber(), 1);
    input_.deliverMouse(left ? appkit::EventType::leftMouseUp : appkit::EventType::rightMouseUp, location,
                        window->windowNumber(), 1);
    return true;
}

bool HeadlessDisplay::scrollOnScreen(appkit::Point screenPoint, double deltaY) {
    auto window = windowAt(screenPoint);
    if (!window) return false;
    input_.deliverScroll({screenPoint.x - window->frame().minX(), screenPoint.y - window->frame().minY()},
                         window->windowNumber(), deltaY);
    return true;
}

void HeadlessDisplay::movePointer(appkit::Point screenPoint) {
    dispatch::checkMainThread();
    auto window = windowAt(screenPoint);
    int number = window ? window->windowNumber() : 0;
    if (pointerWindowNumber_ && pointerWindowNumber_ != number)
        input_.deliverMouse(appkit::EventType::mouseExited, {}, pointerWindowNumber_, 0);
    pointerWindowNumber_ = number;
    if (window)
        input_.deliverMouse(appkit::EventType::mouseMoved,
                            {screenPoint.x - window->frame().minX(), screenPoint.y - window->frame().minY()}, number, 0);
}

appkit::Rect HeadlessDisplay::statusItemFrame(std::size_t index) const {
    const auto& screen = screens_.front();
    double height = appkit::Screen::menuBarHeight;
    double right = screen.x + screen.width - 8 - statusItemWidth * static_cast<double>(index);
    return appkit::Rect(right - statusItemWidth, screen.y + screen.height - height, statusItemWidth, height);
}

bool HeadlessDisplay::clickStatusItem(std::size_t index) {
    const auto& items = appkit::StatusBar::systemStatusBar().items();
    if (index >= items.size()) return false;
    auto item = items[index];
    auto frame = statusItemFrame(index);
    item->performClick({frame.minX(), frame.minY()});
    return true;
}

void HeadlessDisplay::postMouseEvent(appkit::EventType type, appkit::Point location) {
    if (!ownApplicationReceivesInput()) return;
    input_.deliverMouse(type, location, 0, 1);
}

}  // namespace display
