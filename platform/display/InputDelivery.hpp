#pragma once

#include "platform/appkit/EventType.hpp"
#include "platform/appkit/ModifierFlags.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/carbon/CarbonTypes.hpp"
#include "platform/display/KeyCombination.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace display {

enum class KeyDirection { down, up };

// What a key types: with its modifiers, and with shift alone.
struct TypedText {
    std::string characters;
    std::string charactersIgnoringModifiers;
};

// Where a key press went.
enum class KeyRoute { hotKey, rawKeyHandler, application, otherApplication, heldByOtherApplication };

// Delivers the input a window server received into this process, as the platform's window
// server does. A key goes to a live hot key of the process when one matches (pressed on key
// down; released on the key up of the same key, whatever the modifiers by then, while the
// hot key is still registered); a combination another application holds never reaches the
// process; otherwise, when the application receives input (it is frontmost, or one of its
// menus tracks), the Carbon handlers that asked for raw key events see it first and the
// application's event queue gets it unless one handled it. Caps lock plays no part in
// matching hot keys. Each server owns one; main thread only.
class InputDelivery {
public:
    // The text is asked for only when the key reaches the application's queue.
    KeyRoute deliverKey(KeyCombination key, KeyDirection direction, bool applicationReceivesInput,
                        const std::function<TypedText()>& text, bool isRepeat = false);
    // The two halves of deliverKey. First the hot keys: hotKey when one of the process took
    // the key, heldByOtherApplication when another application holds the combination, else
    // nothing and the key is for whoever receives input.
    std::optional<KeyRoute> deliverToHotKey(KeyCombination key, KeyDirection direction, bool isRepeat);
    // Then the application: its raw key handlers, else its event queue.
    KeyRoute deliverToApplication(KeyCombination key, KeyDirection direction, const std::function<TypedText()>& text,
                                  bool isRepeat);
    // A mouse event in the window with the number, at a point of its coordinates (y up).
    void deliverMouse(appkit::EventType type, appkit::Point locationInWindow, int windowNumber, int clickCount,
                      std::uint32_t carbonModifiers = 0);
    // A turn of the scroll wheel over the window with the number (see Event::scrollWheelEvent).
    void deliverScroll(appkit::Point locationInWindow, int windowNumber, double deltaY);

    // Whether the key's down went to a hot key whose up has not come yet.
    bool isHotKeyHeld(std::uint16_t keyCode) const { return pressedHotKeys_.count(keyCode) != 0; }

    static appkit::ModifierFlags flagsFromCarbon(std::uint32_t carbonModifiers);
    // The platform's private-use character of a key that types none of its own (arrows,
    // function and navigation keys), or of delete.
    static std::optional<char32_t> functionKeyCharacter(std::uint16_t keyCode);

private:
    std::map<std::uint16_t, carbon::EventHotKeyID> pressedHotKeys_;  // by key code
};

}  // namespace display
