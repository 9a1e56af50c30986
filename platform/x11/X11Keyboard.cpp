#include "platform/x11/X11Keyboard.hpp"

#include "platform/carbon/CarbonTypes.hpp"
#include "platform/x11/XkbKeyNames.hpp"

#include "platform/x11/XcbXkb.hpp"
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <clocale>
#include <cstdlib>

namespace display {

namespace {

constexpr std::uint16_t groupOfState(std::uint16_t state) { return (state >> 13) & 0x3; }

// The locale whose compose table dead keys go through: the user's, or a UTF-8 one when the
// user's is the plain C locale, which has none.
std::string composeLocale() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) {
            std::string locale = value;
            if (locale != "C" && locale != "POSIX" && locale.rfind("C.", 0) != 0) return locale;
            break;
        }
    return "en_US.UTF-8";
}

}  // namespace

foundation::Expected<std::unique_ptr<X11Keyboard>> X11Keyboard::make(X11Connection& connection) {
    std::uint16_t major = 0, minor = 0;
    std::uint8_t eventBase = 0, errorBase = 0;
    if (!xkb_x11_setup_xkb_extension(connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &major, &minor, &eventBase, &errorBase)) {
        return foundation::Failure{"the X server " + connection.name() + " has no keyboard extension"};
    }
    std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection.get());
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (device < 0 || !context) {
        if (context) xkb_context_unref(context);
        return foundation::Failure{"the X server " + connection.name() + " has no keyboard"};
    }
    std::unique_ptr<X11Keyboard> keyboard(new X11Keyboard(connection, context, device, eventBase));
    if (!keyboard->reload()) return foundation::Failure{"the X server " + connection.name() + " gave no keymap"};
    // Keymap changes (a tool remapping a key to type a character) are announced; held keys
    // repeat as presses alone, so a release always means the key went up.
    const std::uint16_t announced = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                   XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                   XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                   XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(connection.get(), static_cast<xcb_xkb_device_spec_t>(device), announced, 0, announced,
                          mapParts, mapParts, nullptr);
    const std::uint32_t autoRepeat = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    XReply<xcb_xkb_per_client_flags_reply_t>(xcb_xkb_per_client_flags_reply(
        connection.get(),
        xcb_xkb_per_client_flags(connection.get(), static_cast<xcb_xkb_device_spec_t>(device), autoRepeat, autoRepeat,
                                 0, 0, 0),
        nullptr));
    keyboard->loadComposeTable();
    return keyboard;
}

X11Keyboard::X11Keyboard(X11Connection& connection, xkb_context* context, std::int32_t deviceIdentifier,
                         std::uint8_t extensionEventBase)
    : connection_(connection), context_(context), deviceIdentifier_(deviceIdentifier),
      extensionEventBase_(extensionEventBase) {}

X11Keyboard::~X11Keyboard() {
    if (composeState_) xkb_compose_state_unref(composeState_);
    if (composeTable_) xkb_compose_table_unref(composeTable_);
    if (keymap_) xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

void X11Keyboard::loadComposeTable() {
    composeTable_ = xkb_compose_table_new_from_locale(context_, composeLocale().c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (composeTable_) composeState_ = xkb_compose_state_new(composeTable_, XKB_COMPOSE_STATE_NO_FLAGS);
}

bool X11Keyboard::reload() {
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(context_, connection_.get(), deviceIdentifier_,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return false;
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = keymap;

    virtualKeys_.clear();
    keyCodes_.clear();
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap_); key <= xkb_keymap_max_keycode(keymap_) && key < 256;
         ++key) {
        const char* name = xkb_keymap_key_get_name(keymap_, key);
        auto virtualKey = name ? virtualKeyCodeForXkbKeyName(name) : std::nullopt;
        if (!virtualKey) continue;
        virtualKeys_[static_cast<xcb_keycode_t>(key)] = *virtualKey;
        keyCodes_.emplace(*virtualKey, static_cast<xcb_keycode_t>(key));
    }

    // Which of Mod1…Mod5 the Super, Alt and Num Lock keys set, from the core modifier map.
    superMask_ = altMask_ = numLockMask_ = 0;
    modifierKeys_.clear();
    XReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(connection_.get(), xcb_get_modifier_mapping(connection_.get()), nullptr));
    if (!mapping) return true;
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int index = 0; index < perModifier; ++index) {
            xcb_keycode_t key = keys[modifier * perModifier + index];
            if (!key) continue;
            modifierKeys_.insert(key);
            if (modifier < 3) continue;  // Shift, Lock and Control are fixed
            const std::uint16_t mask = std::uint16_t(1u << modifier);
            for (xkb_level_index_t level = 0; level < 2; ++level) {
                const xkb_keysym_t* symbols = nullptr;
                int count = xkb_keymap_key_get_syms_by_level(keymap_, key, 0, level, &symbols);
                for (int symbol = 0; symbol < count; ++symbol) switch (symbols[symbol]) {
                    case XKB_KEY_Super_L:
                    case XKB_KEY_Super_R: superMask_ |= mask; break;
                    case XKB_KEY_Alt_L:
                    case XKB_KEY_Alt_R:
                    case XKB_KEY_Meta_L:
                    case XKB_KEY_Meta_R: altMask_ |= mask; break;
                    case XKB_KEY_Num_Lock: numLockMask_ |= mask; break;
                    default: break;
                    }
            }
        }
    return true;
}

void X11Keyboard::keymapChanged(std::uint16_t eventSequence) {
    // A tool that types a character the layout lacks maps it onto a spare key for one press
    // and takes it back at once, announcing each change several times over: reading the map
    // once, as early as possible, is what catches the key while it types the character.
    if (reloadSequence_ && std::int16_t(eventSequence - *reloadSequence_) < 0) return;
    reloadSequence_ = std::uint16_t(xcb_no_operation(connection_.get()).sequence);
    reload();
}

std::uint16_t X11Keyboard::virtualKeyCode(xcb_keycode_t keyCode) const {
    auto found = virtualKeys_.find(keyCode);
    return found == virtualKeys_.end() ? unnamedKeyCode : found->second;
}

std::optional<xcb_keycode_t> X11Keyboard::keyCodeForVirtualKey(std::uint16_t virtualKeyCode) const {
    auto found = keyCodes_.find(virtualKeyCode);
    if (found == keyCodes_.end()) return std::nullopt;
    return found->second;
}

bool X11Keyboard::isModifierKey(xcb_keycode_t keyCode) const { return modifierKeys_.count(keyCode) != 0; }

std::uint32_t X11Keyboard::carbonModifiers(std::uint16_t state) const {
    std::uint32_t modifiers = 0;
    if (state & XCB_MOD_MASK_SHIFT) modifiers |= carbon::shiftKey;
    if (state & XCB_MOD_MASK_LOCK) modifiers |= carbon::alphaLock;
    if (state & XCB_MOD_MASK_CONTROL) modifiers |= carbon::controlKey;
    if (superMask_ && (state & superMask_)) modifiers |= carbon::cmdKey;
    if (altMask_ && (state & altMask_)) modifiers |= carbon::optionKey;
    return modifiers;
}

std::optional<std::uint16_t> X11Keyboard::modifierMask(std::uint32_t carbonModifiers) const {
    std::uint16_t mask = 0;
    if (carbonModifiers & carbon::shiftKey) mask |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & carbon::controlKey) mask |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & carbon::cmdKey) {
        if (!superMask_) return std::nullopt;
        mask |= superMask_;
    }
    if (carbonModifiers & carbon::optionKey) {
        if (!altMask_) return std::nullopt;
        mask |= altMask_;
    }
    if (carbonModifiers & carbon::kEventKeyModifierFnMask) return std::nullopt;
    return mask;
}

std::string X11Keyboard::typed(xcb_keycode_t keyCode, std::uint16_t depressedModifiers, std::uint16_t state) const {
    xkb_state* keyState = xkb_state_new(keymap_);
    if (!keyState) return {};
    xkb_state_update_mask(keyState, depressedModifiers, 0, 0, 0, 0, groupOfState(state));
    std::array<char, 64> buffer{};
    int length = xkb_state_key_get_utf8(keyState, keyCode, buffer.data(), buffer.size());
    // Shift+Tab is ISO_Left_Tab, which types nothing; the platform's backtab character lets
    // windows and fields move the focus backwards.
    bool backtab = xkb_state_key_get_one_sym(keyState, keyCode) == XKB_KEY_ISO_Left_Tab;
    xkb_state_unref(keyState);
    if (backtab) return "\x19";
    if (length <= 0 || length >= static_cast<int>(buffer.size())) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

TypedText X11Keyboard::text(xcb_keycode_t keyCode, std::uint16_t state, KeyDirection direction) {
    // Command, Control and Option do not change what a key types.
    const std::uint16_t typing = state & 0xFF & ~(XCB_MOD_MASK_CONTROL | superMask_ | altMask_);
    TypedText text{typed(keyCode, typing, state), typed(keyCode, state & XCB_MOD_MASK_SHIFT, state)};
    if (direction != KeyDirection::down || !composeState_) return text;

    xkb_state* keyState = xkb_state_new(keymap_);
    if (!keyState) return text;
    xkb_state_update_mask(keyState, typing, 0, 0, 0, 0, groupOfState(state));
    xkb_keysym_t symbol = xkb_state_key_get_one_sym(keyState, keyCode);
    xkb_state_unref(keyState);
    if (xkb_compose_state_feed(composeState_, symbol) == XKB_COMPOSE_FEED_IGNORED) return text;
    switch (xkb_compose_state_get_status(composeState_)) {
    case XKB_COMPOSE_COMPOSING: text.characters.clear(); break;
    case XKB_COMPOSE_COMPOSED: {
        std::array<char, 64> buffer{};
        int length = xkb_compose_state_get_utf8(composeState_, buffer.data(), buffer.size());
        if (length > 0 && length < static_cast<int>(buffer.size()))
            text.characters.assign(buffer.data(), static_cast<std::size_t>(length));
        xkb_compose_state_reset(composeState_);
        break;
    }
    case XKB_COMPOSE_CANCELLED: xkb_compose_state_reset(composeState_); break;
    case XKB_COMPOSE_NOTHING: break;
    }
    return text;
}

}  // namespace display
