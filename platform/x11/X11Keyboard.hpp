#pragma once

#include "platform/display/InputDelivery.hpp"
#include "platform/x11/X11Connection.hpp"

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_compose_table;
struct xkb_compose_state;

namespace display {

// The X server's keyboard as the platform sees it: keys by the platform's virtual key codes
// (from the places the keymap names, whatever the layout prints on them), modifiers as
// Carbon's (Super is Command, Alt is Option), and the text a key types in the server's
// layout, dead keys composed by the locale's compose table. Reloaded when the server's
// keymap changes. Main thread only; lives as long as its display.
class X11Keyboard {
public:
    // Fails when the server has no usable keyboard extension.
    static foundation::Expected<std::unique_ptr<X11Keyboard>> make(X11Connection& connection);
    ~X11Keyboard();

    // Reads the keymap and the modifier mapping again; false when the server gave none.
    bool reload();
    // A keymap change the server announced with the event's sequence number: read again
    // unless the last reading was asked for after the change, which it therefore holds.
    void keymapChanged(std::uint16_t eventSequence);
    // The first event code of the keyboard extension, whose events announce keymap changes.
    std::uint8_t extensionEventBase() const { return extensionEventBase_; }

    // The key's virtual key code, or unnamedKeyCode for a place the platform's keyboards
    // have no key at.
    std::uint16_t virtualKeyCode(xcb_keycode_t keyCode) const;
    std::optional<xcb_keycode_t> keyCodeForVirtualKey(std::uint16_t virtualKeyCode) const;
    bool isModifierKey(xcb_keycode_t keyCode) const;

    // Carbon modifiers of an event's state (Num Lock and the layout group play no part).
    std::uint32_t carbonModifiers(std::uint16_t state) const;
    // The X modifier mask holding the Carbon modifiers; nullopt when one of them has no X
    // modifier (Command without a Super key, the function key).
    std::optional<std::uint16_t> modifierMask(std::uint32_t carbonModifiers) const;
    // The masks that do not change which hot key a press means.
    std::uint16_t numLockMask() const { return numLockMask_; }

    // What the key types with the event's state: Command, Control and Option type the plain
    // layer, as on the platform. Key downs go through the compose table.
    TypedText text(xcb_keycode_t keyCode, std::uint16_t state, KeyDirection direction);

private:
    X11Keyboard(X11Connection& connection, xkb_context* context, std::int32_t deviceIdentifier,
                std::uint8_t extensionEventBase);
    void loadComposeTable();
    std::string typed(xcb_keycode_t keyCode, std::uint16_t depressedModifiers, std::uint16_t state) const;

    X11Connection& connection_;
    xkb_context* context_;
    std::int32_t deviceIdentifier_;
    std::uint8_t extensionEventBase_;
    std::optional<std::uint16_t> reloadSequence_;  // of the request just before the last reading
    xkb_keymap* keymap_ = nullptr;
    xkb_compose_table* composeTable_ = nullptr;
    xkb_compose_state* composeState_ = nullptr;
    std::map<xcb_keycode_t, std::uint16_t> virtualKeys_;
    std::map<std::uint16_t, xcb_keycode_t> keyCodes_;
    std::uint16_t superMask_ = 0;
    std::uint16_t altMask_ = 0;
    std::uint16_t numLockMask_ = 0;
    std::set<xcb_keycode_t> modifierKeys_;
};

}  // namespace display
