#include "platform/carbon/EventManager.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace carbon {

class EventHandler {
public:
    EventHandlerProcPtr procedure;
    std::vector<EventTypeSpec> types;
    void* userData = nullptr;

    bool takes(OSType eventClass, UInt32 kind) const {
        return std::find(types.begin(), types.end(), EventTypeSpec{eventClass, kind}) != types.end();
    }
};

class EventTarget {
public:
    std::vector<EventHandlerRef> handlers;  // in installation order
};

class EventHotKey {
public:
    EventManager::HotKeyRegistration registration;
};

namespace {

foundation::ProcessWide<EventManager>& sharedManager() {
    static foundation::ProcessWide<EventManager> manager;
    return manager;
}

}  // namespace

EventManager& EventManager::shared() { return *sharedManager().get(); }

EventTargetRef EventManager::dispatcherTarget() {
    if (!dispatcherTarget_) dispatcherTarget_ = std::make_shared<EventTarget>();
    return dispatcherTarget_;
}

std::vector<EventManager::HotKeyRegistration> EventManager::registeredHotKeys() const {
    std::vector<HotKeyRegistration> registrations;
    for (const auto& hotKey : hotKeys_) registrations.push_back(hotKey->registration);
    return registrations;
}

std::optional<EventHotKeyID> EventManager::hotKeyFor(UInt32 keyCode, UInt32 modifiers) const {
    for (const auto& hotKey : hotKeys_)
        if (hotKey->registration.keyCode == keyCode && hotKey->registration.modifiers == modifiers)
            return hotKey->registration.identifier;
    return std::nullopt;
}

void EventManager::reserveForOtherApplication(UInt32 keyCode, UInt32 modifiers) {
    reserved_.emplace_back(keyCode, modifiers);
}

bool EventManager::isReservedForOtherApplication(UInt32 keyCode, UInt32 modifiers) const {
    return std::find(reserved_.begin(), reserved_.end(), std::pair{keyCode, modifiers}) != reserved_.end();
}

OSStatus EventManager::dispatchEvent(const EventRef& event) {
    dispatch::checkMainThread();
    if (!event || !dispatcherTarget_) return eventNotHandledErr;
    auto handlers = dispatcherTarget_->handlers;  // a handler may install another
    for (auto handler = handlers.rbegin(); handler != handlers.rend(); ++handler) {
        if (!(*handler)->takes(event->eventClass(), event->kind())) continue;
        OSStatus status = (*handler)->procedure(nullptr, event, (*handler)->userData);
        if (status != eventNotHandledErr) return status;
    }
    return eventNotHandledErr;
}

bool EventManager::isHandled(OSType eventClass, UInt32 kind) const {
    if (!dispatcherTarget_) return false;
    return std::any_of(dispatcherTarget_->handlers.begin(), dispatcherTarget_->handlers.end(),
                       [&](const EventHandlerRef& handler) { return handler->takes(eventClass, kind); });
}

OSStatus RegisterEventHotKey(UInt32 keyCode, UInt32 modifiers, EventHotKeyID identifier, const EventTargetRef& target,
                             OptionBits, EventHotKeyRef* outReference) {
    dispatch::checkMainThread();
    if (!target || !outReference) return paramErr;
    auto& manager = EventManager::shared();
    if (manager.isReservedForOtherApplication(keyCode, modifiers)) return eventHotKeyExistsErr;
    // The server holds each combination once, however often this process registers it.
    if (auto* server = manager.hotKeyServer(); server && !manager.hotKeyFor(keyCode, modifiers)) {
        if (OSStatus status = server->grabHotKey(keyCode, modifiers); status != noErr) return status;
    }
    auto hotKey = std::make_shared<EventHotKey>();
    hotKey->registration = {keyCode, modifiers, identifier};
    manager.hotKeys_.push_back(hotKey);
    *outReference = hotKey;
    return noErr;
}

OSStatus UnregisterEventHotKey(const EventHotKeyRef& hotKey) {
    dispatch::checkMainThread();
    auto& hotKeys = EventManager::shared().hotKeys_;
    auto found = std::find(hotKeys.begin(), hotKeys.end(), hotKey);
    if (found == hotKeys.end()) return eventHotKeyInvalidErr;
    auto registration = (*found)->registration;
    hotKeys.erase(found);
    auto& manager = EventManager::shared();
    if (auto* server = manager.hotKeyServer(); server && !manager.hotKeyFor(registration.keyCode, registration.modifiers))
        server->releaseHotKey(registration.keyCode, registration.modifiers);
    return noErr;
}

EventTargetRef GetEventDispatcherTarget() { return EventManager::shared().dispatcherTarget(); }

OSStatus InstallEventHandler(const EventTargetRef& target, EventHandlerProcPtr handler,
                             std::span<const EventTypeSpec> types, void* userData, EventHandlerRef* outReference) {
    dispatch::checkMainThread();
    if (!target || !handler) return paramErr;
    auto installed = std::make_shared<EventHandler>();
    installed->procedure = std::move(handler);
    installed->types.assign(types.begin(), types.end());
    installed->userData = userData;
    target->handlers.push_back(installed);
    if (outReference) *outReference = installed;
    return noErr;
}

OSStatus AddEventTypesToHandler(const EventHandlerRef& handler, std::span<const EventTypeSpec> types) {
    dispatch::checkMainThread();
    if (!handler) return paramErr;
    for (const auto& type : types)
        if (!handler->takes(type.eventClass, type.eventKind)) handler->types.push_back(type);
    return noErr;
}

OSStatus RemoveEventTypesFromHandler(const EventHandlerRef& handler, std::span<const EventTypeSpec> types) {
    dispatch::checkMainThread();
    if (!handler) return paramErr;
    for (const auto& type : types) std::erase(handler->types, type);
    return noErr;
}

}  // namespace carbon
