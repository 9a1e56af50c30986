#include "platform/x11/X11HotKeyGrabs.hpp"

namespace display {

std::optional<X11HotKeyGrabs::Grab> X11HotKeyGrabs::serverGrab(carbon::UInt32 keyCode,
                                                              carbon::UInt32 carbonModifiers) const {
    if (keyCode > 0xFFFF) return std::nullopt;
    auto key = keyboard_.keyCodeForVirtualKey(static_cast<std::uint16_t>(keyCode));
    // Caps Lock is grabbed in both states anyway.
    auto modifiers = keyboard_.modifierMask(carbonModifiers & ~carbon::alphaLock);
    if (!key || !modifiers) return std::nullopt;
    return Grab{*key, *modifiers};
}

std::array<std::uint16_t, 4> X11HotKeyGrabs::lockVariants(std::uint16_t modifiers) const {
    const std::uint16_t numLock = keyboard_.numLockMask();
    return {modifiers, std::uint16_t(modifiers | XCB_MOD_MASK_LOCK), std::uint16_t(modifiers | numLock),
            std::uint16_t(modifiers | XCB_MOD_MASK_LOCK | numLock)};
}

carbon::OSStatus X11HotKeyGrabs::grab(carbon::UInt32 keyCode, carbon::UInt32 carbonModifiers) {
    auto grab = serverGrab(keyCode, carbonModifiers);
    if (!grab) return carbon::paramErr;
    auto variants = lockVariants(grab->modifiers);
    std::size_t made = 0;
    for (; made < variants.size(); ++made) {
        // The keyboard stops at the press until the application answers it (X11KeyboardHold),
        // so no key typed after the hot key can pass it.
        auto cookie = xcb_grab_key_checked(connection_.get(), 1, connection_.root(), variants[made], grab->key,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
        if (connection_.errorCode(cookie) != 0) break;
    }
    if (made == variants.size()) return carbon::noErr;
    for (std::size_t undone = 0; undone < made; ++undone)
        xcb_ungrab_key(connection_.get(), grab->key, connection_.root(), variants[undone]);
    connection_.flush();
    return carbon::eventHotKeyExistsErr;
}

void X11HotKeyGrabs::release(carbon::UInt32 keyCode, carbon::UInt32 carbonModifiers) {
    auto grab = serverGrab(keyCode, carbonModifiers);
    if (!grab) return;
    for (auto modifiers : lockVariants(grab->modifiers))
        xcb_ungrab_key(connection_.get(), grab->key, connection_.root(), modifiers);
    connection_.flush();
}

}  // namespace display
