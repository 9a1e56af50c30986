#pragma once

#include "platform/carbon/CarbonTypes.hpp"
#include "platform/x11/X11Connection.hpp"
#include "platform/x11/X11Keyboard.hpp"

#include <array>
#include <optional>

namespace display {

// Hot keys held as passive grabs of their key on the root window, one for each state of
// Caps Lock and Num Lock, so the key fires whichever of the two is on. When another client
// holds any of them the server refuses the grab: the ones already made are let go and the
// registration fails with eventHotKeyExistsErr, as when another application holds a hot
// key. Without Num Lock on the keyboard two variants are the same grab, which the server
// takes twice as one. The server holds the keyboard still at a hot key's press until the
// application answers (X11KeyboardHold). Main thread only.
class X11HotKeyGrabs {
public:
    X11HotKeyGrabs(X11Connection& connection, const X11Keyboard& keyboard)
        : connection_(connection), keyboard_(keyboard) {}

    // noErr; eventHotKeyExistsErr when another client holds the combination; paramErr for
    // a key or modifier the server's keyboard does not have.
    carbon::OSStatus grab(carbon::UInt32 keyCode, carbon::UInt32 carbonModifiers);
    void release(carbon::UInt32 keyCode, carbon::UInt32 carbonModifiers);

private:
    struct Grab {
        xcb_keycode_t key;
        std::uint16_t modifiers;
    };
    std::optional<Grab> serverGrab(carbon::UInt32 keyCode, carbon::UInt32 carbonModifiers) const;
    std::array<std::uint16_t, 4> lockVariants(std::uint16_t modifiers) const;

    X11Connection& connection_;
    const X11Keyboard& keyboard_;
};

}  // namespace display
