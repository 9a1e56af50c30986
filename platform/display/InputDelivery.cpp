#include "platform/display/InputDelivery.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/carbon/TextInputSources.hpp"
#include "platform/foundation/Clock.hpp"

namespace display {

namespace {

bool isNumericPadKey(std::uint16_t keyCode) {
    return (keyCode >= 123 && keyCode <= 126) || keyCode == 65 || keyCode == 67 || keyCode == 69 || keyCode == 71 ||
           keyCode == 75 || keyCode == 76 || keyCode == 78 || (keyCode >= 81 && keyCode <= 92 && keyCode != 90) || keyCode == 95;
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

appkit::ModifierFlags InputDelivery::flagsFromCarbon(std::uint32_t modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & carbon::cmdKey) flags |= appkit::ModifierFlags::command;
    if (modifiers & carbon::shiftKey) flags |= appkit::ModifierFlags::shift;
    if (modifiers & carbon::optionKey) flags |= appkit::ModifierFlags::option;
    if (modifiers & carbon::controlKey) flags |= appkit::ModifierFlags::control;
    if (modifiers & carbon::kEventKeyModifierFnMask) flags |= appkit::ModifierFlags::function;
    if (modifiers & carbon::alphaLock) flags |= appkit::ModifierFlags::capsLock;
    return appkit::ModifierFlags(flags);
}

std::optional<char32_t> InputDelivery::functionKeyCharacter(std::uint16_t keyCode) {
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

KeyRoute InputDelivery::deliverKey(KeyCombination key, KeyDirection direction, bool applicationReceivesInput,
                                   const std::function<TypedText()>& text, bool isRepeat) {
    if (auto route = deliverToHotKey(key, direction, isRepeat)) return *route;
    if (!applicationReceivesInput) return KeyRoute::otherApplication;
    return deliverToApplication(key, direction, text, isRepeat);
}

std::optional<KeyRoute> InputDelivery::deliverToHotKey(KeyCombination key, KeyDirection direction, bool isRepeat) {
    auto& manager = carbon::EventManager::shared();
    bool down = direction == KeyDirection::down;
    // Hot keys do not see caps lock, as on the platform: ⇧⌘Space fires with it on.
    auto hotKeyModifiers = key.carbonModifiers & ~carbon::alphaLock;

    // A hot key is released even when the modifiers were let go first. One unregistered
    // while held (suspended for a menu, disabled) has no release: its key up goes the
    // ordinary way, like any key up. A held hot key does not repeat.
    if (!down) {
        if (auto pressed = pressedHotKeys_.find(key.keyCode); pressed != pressedHotKeys_.end()) {
            auto identifier = pressed->second;
            pressedHotKeys_.erase(pressed);
            if (isLive(identifier)) {
                manager.dispatchEvent(carbon::CarbonEvent::makeHotKeyEvent(carbon::kEventHotKeyReleased, identifier));
                return KeyRoute::hotKey;
            }
        }
    } else if (isRepeat && pressedHotKeys_.count(key.keyCode)) {
        return KeyRoute::hotKey;
    } else if (auto hotKey = manager.hotKeyFor(key.keyCode, hotKeyModifiers)) {
        pressedHotKeys_[key.keyCode] = *hotKey;
        manager.dispatchEvent(carbon::CarbonEvent::makeHotKeyEvent(carbon::kEventHotKeyPressed, *hotKey));
        return KeyRoute::hotKey;
    }
    if (manager.isReservedForOtherApplication(key.keyCode, hotKeyModifiers)) return KeyRoute::heldByOtherApplication;
    return std::nullopt;
}

KeyRoute InputDelivery::deliverToApplication(KeyCombination key, KeyDirection direction,
                                             const std::function<TypedText()>& text, bool isRepeat) {
    bool down = direction == KeyDirection::down;
    auto raw = carbon::CarbonEvent::makeRawKeyEvent(down ? carbon::kEventRawKeyDown : carbon::kEventRawKeyUp,
                                                    key.keyCode, key.carbonModifiers);
    if (carbon::EventManager::shared().dispatchEvent(raw) == carbon::noErr) return KeyRoute::rawKeyHandler;

    auto flags = flagsFromCarbon(key.carbonModifiers);
    appkit::Event::KeyDetails details;
    details.keyCode = key.keyCode;
    details.isARepeat = isRepeat;
    if (auto character = functionKeyCharacter(key.keyCode)) {
        details.characters = details.charactersIgnoringModifiers = utf8(*character);
        if (*character >= 0xF700) flags = flags.adding(appkit::ModifierFlags::function);
    } else {
        auto typed = text();
        details.characters = std::move(typed.characters);
        details.charactersIgnoringModifiers = std::move(typed.charactersIgnoringModifiers);
    }
    if (isNumericPadKey(key.keyCode)) flags = flags.adding(appkit::ModifierFlags::numericPad);
    appkit::Application::shared()->postEvent(
        appkit::Event::keyEvent(down ? appkit::EventType::keyDown : appkit::EventType::keyUp, appkit::Point{}, flags,
                                eventTimestamp(), 0, std::move(details), raw),
        false);
    return KeyRoute::application;
}

void InputDelivery::deliverMouse(appkit::EventType type, appkit::Point locationInWindow, int windowNumber,
                                 int clickCount, std::uint32_t carbonModifiers) {
    appkit::Application::shared()->postEvent(appkit::Event::mouseEvent(type, locationInWindow,
                                                                       flagsFromCarbon(carbonModifiers),
                                                                       eventTimestamp(), windowNumber, clickCount),
                                             false);
}

void InputDelivery::deliverScroll(appkit::Point locationInWindow, int windowNumber, double deltaY) {
    appkit::Application::shared()->postEvent(
        appkit::Event::scrollWheelEvent(locationInWindow, deltaY, eventTimestamp(), windowNumber), false);
}

}  // namespace display
