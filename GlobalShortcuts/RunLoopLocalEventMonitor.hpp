#pragma once

#include "platform/appkit/Event.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <functional>
#include <memory>
#include <string>

namespace GlobalShortcuts {

// Watches queued events of the given types while the current run loop runs in one mode:
// before the loop handles its sources, it takes every queued event off the application's
// queue, passes the watched ones to the callback and posts back, in their order, what the
// callback returns and every event it does not watch. Only events the callback swallows
// disappear. Main thread only; destroying it stops it.
class RunLoopLocalEventMonitor {
public:
    using Callback = std::function<appkit::EventPtr(const appkit::EventPtr&)>;

    RunLoopLocalEventMonitor(appkit::EventTypeMask events, std::string runLoopMode, Callback callback);
    RunLoopLocalEventMonitor(const RunLoopLocalEventMonitor&) = delete;
    RunLoopLocalEventMonitor& operator=(const RunLoopLocalEventMonitor&) = delete;
    ~RunLoopLocalEventMonitor();

    void start();
    void stop();
    bool isRunning() const { return observer_ != nullptr; }

    const std::string& runLoopMode() const { return runLoopMode_; }

    // One drain of the application's queue, as the observer runs it.
    static void drain(appkit::EventTypeMask events, const Callback& callback);

private:
    std::string runLoopMode_;
    std::function<void(foundation::RunLoopActivity)> handler_;
    std::unique_ptr<foundation::RunLoopToken> observer_;
};

}  // namespace GlobalShortcuts
