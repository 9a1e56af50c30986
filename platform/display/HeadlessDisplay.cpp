#include "platform/display/HeadlessDisplay.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/carbon/TextInputSources.hpp"

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

HeadlessDisplay::HeadlessDisplay(std::vector<ScreenFrame> screens) { setScreens(std::move(screens)); }

void HeadlessDisplay::setScreens(std::vector<ScreenFrame> screens) {
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
    auto key = parsed(combination);
    keyDown(key);
    keyUp(key);
}

void HeadlessDisplay::keyDown(std::string_view combination) { keyDown(parsed(combination)); }

void HeadlessDisplay::keyUp(std::string_view combination) { keyUp(parsed(combination)); }

void HeadlessDisplay::keyDown(KeyCombination combination) { key(combination, KeyDirection::down); }

void HeadlessDisplay::keyUp(KeyCombination combination) { key(combination, KeyDirection::up); }

bool HeadlessDisplay::ownApplicationReceivesInput() const {
    return frontmost_ == ownApplication || appkit::Application::shared()->trackingMenu() != nullptr;
}

void HeadlessDisplay::key(KeyCombination combination, KeyDirection direction) {
    bool down = direction == KeyDirection::down;
    auto route = input_.deliverKey(combination, direction, ownApplicationReceivesInput(), [&] {
        return TypedText{down ? translate(combination.keyCode, combination.carbonModifiers, &deadKeyState_)
                              : typedAlone(combination.keyCode, combination.carbonModifiers),
                         typedAlone(combination.keyCode, combination.carbonModifiers & carbon::shiftKey)};
    });
    if (route == KeyRoute::otherApplication && down)
        otherApplicationKeys_.push_back(frontmost_ + ": " + std::to_string(combination.keyCode));
}

void HeadlessDisplay::click(appkit::Point location) {
    postMouseEvent(appkit::EventType::leftMouseDown, location);
    postMouseEvent(appkit::EventType::leftMouseUp, location);
}

void HeadlessDisplay::postMouseEvent(appkit::EventType type, appkit::Point location) {
    if (!ownApplicationReceivesInput()) return;
    input_.deliverMouse(type, location, 0, 1);
}

}  // namespace display
