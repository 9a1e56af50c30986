#include "GlobalShortcuts/HandlerDispatch.hpp"

#include "GlobalShortcuts/CarbonGlobalShortcuts.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Menu.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/foundation/UUID.hpp"

#include <map>
#include <source_location>
#include <memory>
#include <string>
#include <unordered_map>

namespace GlobalShortcuts {

namespace {

using Continuations = std::map<std::string, Action>;  // by stream UUID

struct State {
    bool isPaused = false;
    bool isEnabled = true;
    std::unordered_set<Shortcut> registeredShortcuts;
    std::unordered_map<Name, std::vector<Action>> keyDownHandlers;
    std::unordered_map<Name, std::vector<Action>> keyUpHandlers;
    std::unordered_map<Name, Continuations> keyDownStreamContinuations;
    std::unordered_map<Name, Continuations> keyUpStreamContinuations;
    std::unique_ptr<foundation::NotificationToken> menuDidBeginTracking;
    std::unique_ptr<foundation::NotificationToken> menuDidEndTracking;
    bool isObservingMenuTracking = false;
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

void addHandler(std::unordered_map<Name, std::vector<Action>>& table, const Name& name, Action action) {
    table[name].push_back(std::move(action));
    if (auto shortcut = getShortcut(name)) registerShortcut(*shortcut);
}

void addStreamContinuation(const Name& name, const std::string& identifier,
                           const foundation::AsyncStream<EventType>::Continuation& continuation) {
    auto& current = state();
    current.keyDownStreamContinuations[name][identifier] = [continuation] { continuation.yield(EventType::keyDown); };
    current.keyUpStreamContinuations[name][identifier] = [continuation] { continuation.yield(EventType::keyUp); };
    if (auto shortcut = getShortcut(name)) registerShortcut(*shortcut);
}

void removeStreamContinuation(const Name& name, const std::string& identifier) {
    auto& current = state();
    for (auto* table : {&current.keyDownStreamContinuations, &current.keyUpStreamContinuations}) {
        auto entry = table->find(name);
        if (entry == table->end()) continue;
        entry->second.erase(identifier);
        if (entry->second.empty()) table->erase(entry);
    }
    auto shortcut = getShortcut(name);
    if (shortcut && !handlerShortcuts().count(*shortcut) && !streamShortcuts().count(*shortcut))
        unregisterShortcut(*shortcut);
}

template <class Table>
std::unordered_set<Shortcut> storedShortcutsOf(std::initializer_list<const Table*> tables) {
    std::unordered_set<Shortcut> shortcuts;
    for (const auto* table : tables)
        for (const auto& [name, entries] : *table)
            if (!entries.empty())
                if (auto shortcut = getShortcut(name)) shortcuts.insert(*shortcut);
    return shortcuts;
}

}  // namespace

bool isPaused() { return state().isPaused; }

void setIsPaused(bool paused) { state().isPaused = paused; }

bool isEnabled() { return state().isEnabled; }

void setIsEnabled(bool enabled) {
    auto& current = state();
    if (current.isEnabled == enabled) return;
    current.isEnabled = enabled;
    CarbonGlobalShortcuts::updateEventHandler();
}

const std::unordered_set<Shortcut>& registeredShortcuts() { return state().registeredShortcuts; }

void registerShortcut(const Shortcut& shortcut) {
    auto& registered = state().registeredShortcuts;
    if (registered.count(shortcut)) return;
    CarbonGlobalShortcuts::register_(
        shortcut, [](const Shortcut& pressed) { handleEvent(pressed, EventType::keyDown); },
        [](const Shortcut& pressed) { handleEvent(pressed, EventType::keyUp); });
    registered.insert(shortcut);
}

void unregisterShortcut(const Shortcut& shortcut) {
    CarbonGlobalShortcuts::unregister(shortcut);
    state().registeredShortcuts.erase(shortcut);
}

std::unordered_set<Shortcut> handlerShortcuts() {
    auto& current = state();
    return storedShortcutsOf<std::unordered_map<Name, std::vector<Action>>>(
        {&current.keyDownHandlers, &current.keyUpHandlers});
}

std::unordered_set<Shortcut> streamShortcuts() {
    auto& current = state();
    return storedShortcutsOf<std::unordered_map<Name, Continuations>>(
        {&current.keyDownStreamContinuations, &current.keyUpStreamContinuations});
}

void onKeyDown(const Name& name, Action action) { addHandler(state().keyDownHandlers, name, std::move(action)); }

void onKeyUp(const Name& name, Action action) { addHandler(state().keyUpHandlers, name, std::move(action)); }

void removeHandler(const Name& name) {
    auto& current = state();
    current.keyDownHandlers.erase(name);
    current.keyUpHandlers.erase(name);
    auto shortcut = getShortcut(name);
    if (shortcut && !streamShortcuts().count(*shortcut)) unregisterShortcut(*shortcut);
}

void removeAllHandlers() {
    auto handlers = handlerShortcuts();
    auto streams = streamShortcuts();
    for (const auto& shortcut : handlers)
        if (!streams.count(shortcut)) unregisterShortcut(shortcut);
    state().keyDownHandlers.clear();
    state().keyUpHandlers.clear();
}

void enable(const std::vector<Name>& names) {
    for (const auto& name : names)
        if (auto shortcut = getShortcut(name)) registerShortcut(*shortcut);
}

void disable(const std::vector<Name>& names) {
    for (const auto& name : names)
        if (auto shortcut = getShortcut(name)) unregisterShortcut(*shortcut);
}

bool isRegistered(const Name& name) {
    if (!isEnabled()) return false;
    auto shortcut = getShortcut(name);
    return shortcut && registeredShortcuts().count(*shortcut);
}

foundation::AsyncStream<EventType> events(const Name& name) {
    return foundation::AsyncStream<EventType>([name](foundation::AsyncStream<EventType>::Continuation continuation) {
        auto identifier = foundation::UUID::make()->UUIDString();
        dispatch::mainQueue()->async([name, identifier, continuation] {
            addStreamContinuation(name, identifier, continuation);
        });
        continuation.setOnTermination([name, identifier](foundation::AsyncStream<EventType>::Termination) {
            dispatch::mainQueue()->async([name, identifier] { removeStreamContinuation(name, identifier); });
        });
    });
}

foundation::AsyncStream<EventType> events(EventType type, const Name& name) {
    return events(name).filter([type](const EventType& event) { return event == type; });
}

void handleEvent(const Shortcut& shortcut, EventType type) {
    if (isPaused()) return;
    bool down = type == EventType::keyDown;
    // Each table as it stood when its walk began: what an action changes counts from the
    // next event.
    auto handlers = down ? state().keyDownHandlers : state().keyUpHandlers;
    for (const auto& [name, actions] : handlers) {
        auto stored = getShortcut(name);
        if (!stored || !(*stored == shortcut)) continue;
        for (const auto& action : actions) action();
    }
    auto streams = down ? state().keyDownStreamContinuations : state().keyUpStreamContinuations;
    for (const auto& [name, continuations] : streams) {
        auto stored = getShortcut(name);
        if (!stored || !(*stored == shortcut)) continue;
        for (const auto& [identifier, yield] : continuations) yield();
    }
}

void startObservingMenuTracking() {
    auto& current = state();
    if (current.isObservingMenuTracking) return;
    auto center = foundation::NotificationCenter::defaultCenter();
    current.menuDidBeginTracking =
        center->addObserver(appkit::NSMenuDidBeginTrackingNotification, nullptr, nullptr, [](const auto&) {
            bool wasOpen = CarbonGlobalShortcuts::isMenuOpen();
            CarbonGlobalShortcuts::setIsMenuOpen(true);
            if (!wasOpen) CarbonGlobalShortcuts::updateEventHandler();
        });
    current.menuDidEndTracking =
        center->addObserver(appkit::NSMenuDidEndTrackingNotification, nullptr, nullptr, [](const auto&) {
            bool wasOpen = CarbonGlobalShortcuts::isMenuOpen();
            CarbonGlobalShortcuts::setIsMenuOpen(false);
            if (wasOpen) CarbonGlobalShortcuts::updateEventHandler();
        });
    current.isObservingMenuTracking = true;
}

}  // namespace GlobalShortcuts
