#include "platform/display/HeadlessDisplay.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/ModifierFlags.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/carbon/TextInputSources.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <stdexcept>

namespace display {

namespace {

KeyCombination parsed(std::string_view text) {
    auto combination = KeyCombination::parse(text);
    if (!combination) throw std::invalid_argument("no such key combination: " + std::string(text));
    return *combination;
}

appkit::ModifierFlags flagsFromCarbon(std::uint32_t modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & carbon::cmdKey) flags |= appkit::ModifierFlags::command;
    if (modifiers & carbon::shiftKey) flags |= appkit::ModifierFlags::shift;
    if (modifiers & carbon::optionKey) flags |= appkit::ModifierFlags::option;
    if (modifiers & carbon::controlKey) flags |= appkit::ModifierFlags::control;
    if (modifiers & carbon::kEventKeyModifierFnMask) flags |= appkit::ModifierFlags::function;
    if (modifiers & carbon::alphaLock) flags |= appkit::ModifierFlags::capsLock;
    return appkit::ModifierFlags(flags);
}

// The characters the platform gives key events of keys that type no text of their own.
std::optional<char32_t> functionKeyCharacter(std::uint16_t keyCode) {
    static const std::map<std::uint16_t, char32_t> characters = [] {
        std::map<std::uint16_t, char32_t> table{{126, 0xF700}, {125, 0xF701}, {123, 0xF702}, {124, 0xF703},
                                                {117, 0xF728}, {115, 0xF729}, {119, 0xF72B}, {116, 0xF72C},
                                                {121, 0xF72D}, {114, 0xF746}, {51, 0x7F}};
        const std::uint16_t functionCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109,
                                               103, 111, 105, 107, 113, 106, 64,  79,  80,  90};
        for (int index = 0; index < 20; ++index) table[functionCodes[index]] = 0xF704 + index;
        return table;
    }();
    auto found = characters.find(keyCode);
    if (found == characters.end()) return std::nullopt;
    return found->second;
}

bool isNumericPadKey(std::uint16_t keyCode) {
    return (keyCode >= 123 && keyCode <= 126) || keyCode == 65 || keyCode == 67 || keyCode == 69 || keyCode == 71 ||
           keyCode == 75 || keyCode == 76 || keyCode == 78 || (keyCode >= 81 && keyCode <= 92 && keyCode != 90);
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

bool isLive(carbon::EventHotKeyID identifier) {
    for (const auto& registration : carbon::EventManager::shared().registeredHotKeys())
        if (registration.identifier.signature == identifier.signature && registration.identifier.id == identifier.id)
            return true;
    return false;
}

double eventTimestamp() { return std::chrono::duration<double>(foundation::Clock::now().time_since_epoch()).count(); }

std::string utf8(char32_t character) {
    return carbon::utf8FromUTF16(character > 0xFFFF ? std::u16string{} : std::u16string(1, char16_t(character)));
}

}  // namespace

HeadlessDisplay::HeadlessDisplay(std::vector<ScreenFrame> screens) { setScreens(std::move(screens)); }

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

void HeadlessDisplay::keyDown(KeyCombination combination) { key(combination, Direction::down); }

void HeadlessDisplay::keyUp(KeyCombination combination) { key(combination, Direction::up); }

bool HeadlessDisplay::ownApplicationReceivesInput() const {
    return frontmost_ == ownApplication || appkit::Application::shared()->trackingMenu() != nullptr;
}

void HeadlessDisplay::key(KeyCombination combination, Direction direction) {
    dispatch::checkMainThread();
    auto& manager = carbon::EventManager::shared();
    bool down = direction == Direction::down;
    // Hot keys do not see caps lock, as on the platform: ⇧⌘Space fires with it on.
    auto hotKeyModifiers = combination.carbonModifiers & ~carbon::alphaLock;

    // A hot key is released even when the modifiers were let go first. One unregistered
    // while held (suspended for a menu, disabled) has no release: its key up goes the
    // ordinary way, like any key up.
    if (!down) {
        if (auto pressed = pressedHotKeys_.find(combination.keyCode); pressed != pressedHotKeys_.end()) {
            auto identifier = pressed->second;
            pressedHotKeys_.erase(pressed);
            if (isLive(identifier)) {
                manager.dispatchEvent(carbon::CarbonEvent::makeHotKeyEvent(carbon::kEventHotKeyReleased, identifier));
                return;
            }
        }
    } else if (auto hotKey = manager.hotKeyFor(combination.keyCode, hotKeyModifiers)) {
        pressedHotKeys_[combination.keyCode] = *hotKey;
        manager.dispatchEvent(carbon::CarbonEvent::makeHotKeyEvent(carbon::kEventHotKeyPressed, *hotKey));
        return;
    }
    if (manager.isReservedForOtherApplication(combination.keyCode, hotKeyModifiers)) return;

    if (!ownApplicationReceivesInput()) {
        if (down) otherApplicationKeys_.push_back(frontmost_ + ": " + std::to_string(combination.keyCode));
        return;
    }

    auto raw = carbon::CarbonEvent::makeRawKeyEvent(down ? carbon::kEventRawKeyDown : carbon::kEventRawKeyUp,
                                                    combination.keyCode, combination.carbonModifiers);
    if (manager.dispatchEvent(raw) == carbon::noErr) return;

    auto flags = flagsFromCarbon(combination.carbonModifiers);
    appkit::Event::KeyDetails details;
    details.keyCode = combination.keyCode;
    if (auto character = functionKeyCharacter(combination.keyCode)) {
        details.characters = details.charactersIgnoringModifiers = utf8(*character);
        if (*character >= 0xF700) flags = flags.adding(appkit::ModifierFlags::function);
    } else {
        details.characters = down ? translate(combination.keyCode, combination.carbonModifiers, &deadKeyState_)
                                  : typedAlone(combination.keyCode, combination.carbonModifiers);
        details.charactersIgnoringModifiers =
            typedAlone(combination.keyCode, combination.carbonModifiers & carbon::shiftKey);
    }
    if (isNumericPadKey(combination.keyCode)) flags = flags.adding(appkit::ModifierFlags::numericPad);
    appkit::Application::shared()->postEvent(
        appkit::Event::keyEvent(down ? appkit::EventType::keyDown : appkit::EventType::keyUp, appkit::Point{}, flags,
                                eventTimestamp(), 0, std::move(details), raw),
        false);
}

void HeadlessDisplay::click(appkit::Point location) {
    dispatch::checkMainThread();
    postMouseEvent(appkit::EventType::leftMouseDown, location);
    postMouseEvent(appkit::EventType::leftMouseUp, location);
}

void HeadlessDisplay::postMouseEvent(appkit::EventType type, appkit::Point location) {
    if (!ownApplicationReceivesInput()) return;
    appkit::Application::shared()->postEvent(appkit::Event::mouseEvent(type, location, {}, eventTimestamp(), 0, 1),
                                             false);
}

}  // namespace display
