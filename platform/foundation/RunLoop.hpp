#pragma once

#include "platform/foundation/Clock.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Run-loop modes by their platform names.
inline constexpr const char* NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
inline constexpr const char* NSEventTrackingRunLoopMode = "NSEventTrackingRunLoopMode";
inline constexpr const char* NSModalPanelRunLoopMode = "NSModalPanelRunLoopMode";
// Not a mode one runs in: timers, sources and observers added for it belong to every mode
// marked common (default, event tracking and modal panel).
inline constexpr const char* NSRunLoopCommonModes = "kCFRunLoopCommonModes";

// Activities an observer can watch, with the platform's bit values.
enum RunLoopActivity : std::uint32_t {
    kCFRunLoopEntry = 1,
    kCFRunLoopBeforeTimers = 2,
    kCFRunLoopBeforeSources = 4,
    kCFRunLoopBeforeWaiting = 32,
    kCFRunLoopAfterWaiting = 64,
    kCFRunLoopExit = 128,
    kCFRunLoopAllActivities = 0x0FFFFFFF,
};

class RunLoop;

// A registration with a run loop (timer, source or observer). Destroying the token removes
// it; it is safe to destroy from inside its own callback.
class RunLoopToken {
public:
    virtual ~RunLoopToken() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// One run loop per thread; the main run loop belongs to the main thread and also serves
// the main dispatch queue. Timers, sources and observers are added for a mode (or the
// common modes) and act only while the loop runs in such a mode. All of a run loop's
// callbacks run on its own thread, in the order the loop's passes reach them.
class RunLoop : public std::enable_shared_from_this<RunLoop> {
public:
    static std::shared_ptr<RunLoop> current();
    static std::shared_ptr<RunLoop> main();

    virtual ~RunLoop() = default;

    // A timer firing after the interval, then every repeat interval when one is given.
    virtual std::unique_ptr<RunLoopToken> addTimer(Clock::Duration interval, std::optional<Clock::Duration> repeat,
                                                   std::function<void()> fire, std::string_view mode) = 0;
    // A source: signalling it (from any thread) makes the loop call perform once on its
    // next pass in a mode the source was added for.
    class Source {
    public:
        virtual ~Source() = default;
        virtual void signal() = 0;
    };
    virtual std::pair<std::shared_ptr<Source>, std::unique_ptr<RunLoopToken>> addSource(
        std::function<void()> perform, std::string_view mode) = 0;
    // Observers see the activities in their mask, in the order the loop passes them; a
    // non-repeating observer is removed after its first call.
    virtual std::unique_ptr<RunLoopToken> addObserver(std::uint32_t activities, bool repeats,
                                                      std::function<void(RunLoopActivity)> callback,
                                                      std::string_view mode) = 0;

    // Runs the loop in the mode until the deadline passes on the process clock or stop()
    // is called. May be nested (a modal loop inside an event handler). On the manual clock
    // it never waits for time: with nothing left to do it returns, waiting only while the
    // thread pool still has work that may hand something back.
    virtual void run(std::string_view mode, std::optional<Clock::TimePoint> until = std::nullopt) = 0;
    // Makes the innermost run() return after its current pass.
    virtual void stop() = 0;
    // The mode the innermost run() is in; empty when the loop is not running.
    virtual std::string currentMode() const = 0;
    // Wakes the loop from waiting (any thread).
    virtual void wakeUp() = 0;

    // Test support (main run loop): runs the default mode until the main queue is empty, no
    // source is signalled, no timer is due and the global pool is idle; never waits on the real clock (a generous
    // safety limit turns a hang into a test failure). Returns false on hitting the limit.
    virtual bool runUntilIdle(std::string_view mode = NSDefaultRunLoopMode) = 0;
};

}  // namespace foundation
