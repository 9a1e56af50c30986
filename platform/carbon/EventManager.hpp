#pragma once

#include "platform/carbon/CarbonEvent.hpp"
#include "platform/carbon/CarbonTypes.hpp"
#include "platform/carbon/HotKeyServer.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace carbon {

class EventTarget;
class EventHandler;
class EventHotKey;

using EventTargetRef = std::shared_ptr<EventTarget>;
using EventHandlerRef = std::shared_ptr<EventHandler>;
using EventHotKeyRef = std::shared_ptr<EventHotKey>;
// The next handler in the chain; handlers here have none to call.
using EventHandlerCallRef = const void*;
using EventHandlerProcPtr = std::function<OSStatus(EventHandlerCallRef, const EventRef&, void* userData)>;

// The process's side of the Carbon event manager: its registered hot keys and the handlers
// installed on the event dispatcher target. The window server (the display) asks it which
// hot key a key press belongs to and hands it the events to dispatch. Main thread only;
// process-wide.
class EventManager {
public:
    static EventManager& shared();

    struct HotKeyRegistration {
        UInt32 keyCode = 0;
        UInt32 modifiers = 0;
        EventHotKeyID identifier;
    };
    // Live registrations in registration order.
    std::vector<HotKeyRegistration> registeredHotKeys() const;
    // The first live registration of exactly this key and these modifiers.
    std::optional<EventHotKeyID> hotKeyFor(UInt32 keyCode, UInt32 modifiers) const;

    // A combination another application holds: registering it fails with
    // eventHotKeyExistsErr, and pressing it never reaches this process.
    void reserveForOtherApplication(UInt32 keyCode, UInt32 modifiers);
    bool isReservedForOtherApplication(UInt32 keyCode, UInt32 modifiers) const;

    // The window server that holds registered combinations against other applications
    // (not owned; the server removes itself before it goes). Null: none, as in most tests.
    void setHotKeyServer(HotKeyServer* server) { hotKeyServer_ = server; }
    HotKeyServer* hotKeyServer() const { return hotKeyServer_; }

    // Sends the event to the dispatcher target's handlers that asked for its class and
    // kind, newest first, until one handles it; eventNotHandledErr when none does.
    OSStatus dispatchEvent(const EventRef& event);
    // Whether some handler currently takes events of this class and kind.
    bool isHandled(OSType eventClass, UInt32 kind) const;

private:
    friend OSStatus RegisterEventHotKey(UInt32, UInt32, EventHotKeyID, const EventTargetRef&, OptionBits,
                                        EventHotKeyRef*);
    friend OSStatus UnregisterEventHotKey(const EventHotKeyRef&);
    friend EventTargetRef GetEventDispatcherTarget();

    EventTargetRef dispatcherTarget();

    EventTargetRef dispatcherTarget_;
    std::vector<EventHotKeyRef> hotKeys_;
    std::vector<std::pair<UInt32, UInt32>> reserved_;
    HotKeyServer* hotKeyServer_ = nullptr;
};

OSStatus RegisterEventHotKey(UInt32 keyCode, UInt32 modifiers, EventHotKeyID identifier, const EventTargetRef& target,
                             OptionBits options, EventHotKeyRef* outReference);
OSStatus UnregisterEventHotKey(const EventHotKeyRef& hotKey);
EventTargetRef GetEventDispatcherTarget();
OSStatus InstallEventHandler(const EventTargetRef& target, EventHandlerProcPtr handler,
                             std::span<const EventTypeSpec> types, void* userData, EventHandlerRef* outReference);
OSStatus AddEventTypesToHandler(const EventHandlerRef& handler, std::span<const EventTypeSpec> types);
OSStatus RemoveEventTypesFromHandler(const EventHandlerRef& handler, std::span<const EventTypeSpec> types);

}  // namespace carbon
