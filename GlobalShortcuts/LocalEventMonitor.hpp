#pragma once

#include "platform/appkit/Event.hpp"

#include <functional>
#include <memory>

namespace GlobalShortcuts {

// Watches the application's own events of the given types through a local event monitor
// between start() and its destruction; the callback's result is what the application goes
// on to process (none swallows the event). Starting it again replaces the running monitor.
// Main thread only; destroying it stops it.
class LocalEventMonitor : public std::enable_shared_from_this<LocalEventMonitor> {
public:
    using Callback = std::function<appkit::EventPtr(const appkit::EventPtr&)>;

    LocalEventMonitor(appkit::EventTypeMask events, Callback callback);
    LocalEventMonitor(const LocalEventMonitor&) = delete;
    LocalEventMonitor& operator=(const LocalEventMonitor&) = delete;
    ~LocalEventMonitor();

    // Returns the monitor itself, or null when no shared pointer holds it; either way it runs.
    std::shared_ptr<LocalEventMonitor> start();

    appkit::EventTypeMask events() const { return events_; }

private:
    appkit::EventTypeMask events_;
    Callback callback_;
    std::weak_ptr<objc::Object> monitor_;  // the application holds the token
};

}  // namespace GlobalShortcuts
