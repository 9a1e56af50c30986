#pragma once

#include "GlobalShortcuts/Shortcut.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/foundation/Dictionary.hpp"

#include <functional>
#include <optional>
#include <vector>

namespace GlobalShortcuts::CarbonGlobalShortcuts {

// System-wide hot keys through the Carbon event manager. One registry of hot keys (each
// with its id, live reference and two actions) and one event handler for the process,
// switched between hot-key events (normal), raw key events below macOS 14 or a run-loop
// key monitor from 14 on (while a menu tracks), and nothing (while shortcuts are disabled).
// Process-wide state, main thread only, no locks.

// The signature of every hot key of the package ("SSKS").
inline constexpr carbon::OSType hotKeySignature = 0x53534B53;

using HotKeyAction = std::function<void(const Shortcut&)>;

// Registers one more hot key under the next id; a refusal prints one line on standard output.
void register_(const Shortcut& shortcut, HotKeyAction onKeyDown, HotKeyAction onKeyUp);
// Removes every hot key of the shortcut.
void unregister(const Shortcut& shortcut);
// Brings Carbon into the mode the enabled and menu flags ask for.
void updateEventHandler();
// Registers every suspended hot key again under its id; one Carbon refuses is dropped.
void registerAll();

carbon::OSStatus carbonEventHandler(carbon::EventHandlerCallRef nextHandler, const carbon::EventRef& event,
                                    void* userData);
carbon::OSStatus handleHotKeyEvent(const carbon::EventRef& event);
carbon::OSStatus handleRawKeyEvent(const carbon::EventRef& event);

// The system's enabled shortcuts, in the system's order.
std::vector<Shortcut> systemShortcuts();
std::optional<Shortcut> parseSymbolicHotKey(const foundation::Dictionary& entry);

bool isMenuOpen();
void setIsMenuOpen(bool isOpen);

}  // namespace GlobalShortcuts::CarbonGlobalShortcuts
