#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ModifierFlagsConversion.hpp"
#include "GlobalShortcuts/RunLoopLocalEventMonitor.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <iostream>
#include <limits>
#include <map>
#include <source_location>
#include <memory>

namespace GlobalShortcuts::CarbonGlobalShortcuts {

namespace {

// One registration: the shortcut, its id, the live Carbon reference (none while
// suspended) and the actions, which go with it.
struct HotKey {
    Shortcut shortcut;
    std::int64_t carbonHotKeyId;
    carbon::EventHotKeyRef carbonHotKey;
    HotKeyAction onKeyDown;
    HotKeyAction onKeyUp;
};

struct State {
    std::map<std::int64_t, std::shared_ptr<HotKey>> hotKeys;
    std::int64_t hotKeyIdCounter = 0;
    carbon::EventHandlerRef eventHandler;
    std::unique_ptr<RunLoopLocalEventMonitor> menuTrackingMonitor;
    bool isMenuOpen = false;
};

foundation::ProcessWide<State>& processState() {
    static foundation::ProcessWide<State> instance;
    return instance;
}

// Every entry point reaches the state through here, which checks the main-thread rule in
// the entry point's name.
State& state(std::source_location caller = std::source_location::current()) {
    dispatch::checkMainThread(caller);
    return *processState().get();
}

constexpr carbon::EventTypeSpec hotKeyEventTypes[] = {{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
                                                      {carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
constexpr carbon::EventTypeSpec rawKeyEventTypes[] = {{carbon::kEventClassKeyboard, carbon::kEventRawKeyDown},
                                                      {carbon::kEventClassKeyboard, carbon::kEventRawKeyUp}};
constexpr appkit::EventTypeMask keyEventsMask =
    appkit::eventMaskFromType(appkit::EventType::keyDown) | appkit::eventMaskFromType(appkit::EventType::keyUp);

bool usesRunLoopMonitor() { return foundation::ProcessInfo::isOperatingSystemAtLeastVersion({14, 0, 0}); }

bool fitsCarbon(std::int64_t value) {
    return value >= 0 && value <= std::numeric_limits<carbon::UInt32>::max();
}

void printRegistrationFailure(const Shortcut& shortcut, carbon::OSStatus status) {
    std::cout << "Error registering hotkey " << shortcut.description() << ": " << status << std::endl;
}

// Values Carbon cannot take are refused like a registration Carbon turned down.
carbon::OSStatus registerWithCarbon(const Shortcut& shortcut, std::int64_t identifier,
                                    carbon::EventHotKeyRef* reference) {
    if (!fitsCarbon(shortcut.carbonKeyCode) || !fitsCarbon(shortcut.carbonModifiers) || !fitsCarbon(identifier))
        return carbon::paramErr;
    auto status = carbon::RegisterEventHotKey(
        static_cast<carbon::UInt32>(shortcut.carbonKeyCode), static_cast<carbon::UInt32>(shortcut.carbonModifiers),
        carbon::EventHotKeyID{hotKeySignature, static_cast<carbon::UInt32>(identifier)},
        carbon::GetEventDispatcherTarget(), 0, reference);
    if (status == carbon::noErr && !*reference) return carbon::eventInternalErr;
    return status;
}

void suspend(HotKey& hotKey) {
    if (hotKey.carbonHotKey) carbon::UnregisterEventHotKey(hotKey.carbonHotKey);
    hotKey.carbonHotKey.reset();
}

void suspendAllHotKeys() {
    for (auto& [identifier, hotKey] : state().hotKeys) suspend(*hotKey);
}

RunLoopLocalEventMonitor& menuTrackingMonitor() {
    auto& monitor = state().menuTrackingMonitor;
    if (!monitor)
        monitor = std::make_unique<RunLoopLocalEventMonitor>(
            keyEventsMask, foundation::NSEventTrackingRunLoopMode, [](const appkit::EventPtr& event) -> appkit::EventPtr {
                const auto& reference = event->eventRef();
                if (reference && handleRawKeyEvent(reference) == carbon::noErr) return nullptr;
                return event;
            });
    return *monitor;
}

// Runs the hot key's key-down or key-up action for an event of that kind. The hot key is
// held by the caller, so an action that unregisters it does not pull it from under itself.
carbon::OSStatus runAction(const HotKey& hotKey, carbon::UInt32 kind, carbon::UInt32 downKind,
                           carbon::UInt32 upKind) {
    if (kind == downKind)
        hotKey.onKeyDown(hotKey.shortcut);
    else if (kind == upKind)
        hotKey.onKeyUp(hotKey.shortcut);
    else
        return carbon::eventNotHandledErr;
    return carbon::noErr;
}

std::shared_ptr<HotKey> findHotKey(std::int64_t identifier) {
    auto found = state().hotKeys.find(identifier);
    return found == state().hotKeys.end() ? nullptr : found->second;
}

}  // namespace

void register_(const Shortcut& shortcut, HotKeyAction onKeyDown, HotKeyAction onKeyUp) {
    auto& current = state();
    auto identifier = ++current.hotKeyIdCounter;
    carbon::EventHotKeyRef reference;
    auto status = registerWithCarbon(shortcut, identifier, &reference);
    if (status != carbon::noErr) {
        printRegistrationFailure(shortcut, status);
        return;
    }
    auto hotKey = std::make_shared<HotKey>(
        HotKey{shortcut, identifier, std::move(reference), std::move(onKeyDown), std::move(onKeyUp)});
    current.hotKeys[identifier] = hotKey;
    if (current.eventHandler) {
        // While hot-key events are off (disabled, or a menu tracks) a live hot key would
        // swallow its keys with nobody to hear them: it waits, suspended, like the others.
        if (!GlobalShortcuts::isEnabled() || current.isMenuOpen) suspend(*hotKey);
        return;
    }
    auto target = carbon::GetEventDispatcherTarget();
    if (!target) return;
    carbon::EventHandlerRef handler;
    if (carbon::InstallEventHandler(target, carbonEventHandler, {}, nullptr, &handler) != carbon::noErr || !handler)
        return;
    current.eventHandler = std::move(handler);
    updateEventHandler();
}

void registerAll() {
    auto& hotKeys = state().hotKeys;
    for (auto entry = hotKeys.begin(); entry != hotKeys.end();) {
        auto& hotKey = *entry->second;
        if (hotKey.carbonHotKey) {
            ++entry;
            continue;
        }
        carbon::EventHotKeyRef reference;
        auto status = registerWithCarbon(hotKey.shortcut, hotKey.carbonHotKeyId, &reference);
        if (status == carbon::noErr) {
            hotKey.carbonHotKey = std::move(reference);
            ++entry;
        } else {
            printRegistrationFailure(hotKey.shortcut, status);
            entry = hotKeys.erase(entry);
        }
    }
}

void unregister(const Shortcut& shortcut) {
    auto snapshot = state().hotKeys;
    for (const auto& [identifier, hotKey] : snapshot) {
        if (!(hotKey->shortcut == shortcut)) continue;
        if (hotKey->carbonHotKey) carbon::UnregisterEventHotKey(hotKey->carbonHotKey);
        state().hotKeys.erase(identifier);
    }
}

void updateEventHandler() {
    auto& current = state();
    if (!current.eventHandler) return;
    auto handler = current.eventHandler;
    if (!GlobalShortcuts::isEnabled()) {
        suspendAllHotKeys();
        carbon::RemoveEventTypesFromHandler(handler, hotKeyEventTypes);
        if (usesRunLoopMonitor())
            menuTrackingMonitor().stop();
        else
            carbon::RemoveEventTypesFromHandler(handler, rawKeyEventTypes);
    } else if (!current.isMenuOpen) {
        registerAll();
        if (usesRunLoopMonitor())
            menuTrackingMonitor().stop();
        else
            carbon::RemoveEventTypesFromHandler(handler, rawKeyEventTypes);
        carbon::AddEventTypesToHandler(handler, hotKeyEventTypes);
    } else {
        suspendAllHotKeys();
        carbon::RemoveEventTypesFromHandler(handler, hotKeyEventTypes);
        if (usesRunLoopMonitor())
            menuTrackingMonitor().start();
        else
            carbon::AddEventTypesToHandler(handler, rawKeyEventTypes);
    }
}

carbon::OSStatus carbonEventHandler(carbon::EventHandlerCallRef, const carbon::EventRef& event, void*) {
    if (!event) return carbon::eventNotHandledErr;
    switch (carbon::GetEventKind(event)) {
    case carbon::kEventHotKeyPressed:
    case carbon::kEventHotKeyReleased:
        return handleHotKeyEvent(event);
    case carbon::kEventRawKeyDown:
    case carbon::kEventRawKeyUp:
        return handleRawKeyEvent(event);
    default:
        return carbon::eventNotHandledErr;
    }
}

carbon::OSStatus handleHotKeyEvent(const carbon::EventRef& event) {
    carbon::EventHotKeyID identifier;
    auto status = carbon::GetEventParameter(event, carbon::kEventParamDirectObject, carbon::typeEventHotKeyID, nullptr,
                                            sizeof identifier, nullptr, &identifier);
    if (status != carbon::noErr) return status;
    if (identifier.signature != hotKeySignature) return carbon::eventNotHandledErr;
    auto hotKey = findHotKey(identifier.id);
    if (!hotKey) return carbon::eventNotHandledErr;
    return runAction(*hotKey, carbon::GetEventKind(event), carbon::kEventHotKeyPressed, carbon::kEventHotKeyReleased);
}

carbon::OSStatus handleRawKeyEvent(const carbon::EventRef& event) {
    carbon::UInt32 keyCode = 0;
    carbon::UInt32 modifiers = 0;
    auto status = carbon::GetEventParameter(event, carbon::kEventParamKeyCode, carbon::typeUInt32, nullptr,
                                            sizeof keyCode, nullptr, &keyCode);
    if (status != carbon::noErr) return status;
    status = carbon::GetEventParameter(event, carbon::kEventParamKeyModifiers, carbon::typeUInt32, nullptr,
                                       sizeof modifiers, nullptr, &modifiers);
    if (status != carbon::noErr) return status;
    auto normalised = carbonModifiers(modifierFlagsFromCarbon(modifiers));
    std::shared_ptr<HotKey> match;
    for (const auto& [identifier, hotKey] : state().hotKeys) {
        if (hotKey->shortcut.carbonKeyCode == keyCode && hotKey->shortcut.carbonModifiers == normalised) {
            match = hotKey;
            break;
        }
    }
    if (!match) return carbon::eventNotHandledErr;
    return runAction(*match, carbon::GetEventKind(event), carbon::kEventRawKeyDown, carbon::kEventRawKeyUp);
}

bool isMenuOpen() { return state().isMenuOpen; }

void setIsMenuOpen(bool isOpen) { state().isMenuOpen = isOpen; }

}  // namespace GlobalShortcuts::CarbonGlobalShortcuts
