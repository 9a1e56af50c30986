#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/ThreadPool.hpp"

#include <atomic>
#include <condition_variable>
#include <vector>

namespace foundation {

// The run loop of one thread. Registrations may be added and removed from any thread (the
// registries are locked); callbacks run only on the owning thread, inside run(), never
// under the lock. Each pass: before-timers and before-sources observers, signalled
// sources, then (when no source was handled) before-waiting, the wait, after-waiting, and
// the due timers.
class ThreadRunLoop final : public RunLoop {
public:
    ThreadRunLoop();

    std::unique_ptr<RunLoopToken> addTimer(Clock::Duration interval, std::optional<Clock::Duration> repeat,
                                           std::function<void()> fire, std::string_view mode) override;
    std::pair<std::shared_ptr<Source>, std::unique_ptr<RunLoopToken>> addSource(std::function<void()> perform,
                                                                                 std::string_view mode) override;
    std::unique_ptr<RunLoopToken> addObserver(std::uint32_t activities, bool repeats,
                                              std::function<void(RunLoopActivity)> callback,
                                              std::string_view mode) override;

    void run(std::string_view mode, std::optional<Clock::TimePoint> until = std::nullopt) override;
    void stop() override;
    std::string currentMode() const override;
    void wakeUp() override;
    bool runUntilIdle(std::string_view mode = NSDefaultRunLoopMode) override;

    // Whether a timer of the mode is due on the process clock.
    bool hasDueTimer(std::string_view mode) const;
    // Whether a source of the mode was signalled and has not been performed yet.
    bool hasSignalledSource(std::string_view mode) const;
    // Nothing left to do for a run in the mode: the pool has finished, the main queue is
    // empty, no source of the mode is signalled and no timer of the mode is due.
    bool isIdle(std::string_view mode) const;

    struct Registration;  // internal: one timer, source or observer
    void remove(const Registration& registration);

private:
    struct Frame;
    enum class Ending { keepRunning, stopped, deadlinePassed, idle, nothingCanHappen, safetyLimit };
    enum class Exit { onStopOrDeadline, onIdle };

    Ending runFrame(std::string mode, std::optional<Clock::TimePoint> until, Exit exit);
    void notifyObservers(const std::string& mode, RunLoopActivity activity);
    bool performSignalledSources(const std::string& mode);
    void fireDueTimers(const std::string& mode);
    Ending waitForWork(const std::string& mode, const Frame& frame, std::optional<Clock::TimePoint> until,
                       std::optional<std::chrono::steady_clock::time_point> realTimeLimit);

    // What the loop's lock guards: the registrations (with their timers' fire dates), the
    // runs under way, innermost last, and whether a wake-up is pending.
    using Registrations = std::vector<std::shared_ptr<Registration>>;
    struct Registries {
        bool wakePending = false;
        std::uint64_t nextOrder = 0;
        Registrations timers;
        Registrations sources;
        Registrations observers;
        std::vector<std::shared_ptr<Frame>> frames;

        Registrations& listFor(const Registration& registration);
        // The earliest fire date of a live timer of the mode.
        std::optional<Clock::TimePoint> nextTimerDate(std::string_view mode) const;
    };
    // The live registrations of the mode in one of the lists, taken under the lock.
    Registrations validSnapshot(Registrations Registries::*list, std::string_view mode) const;

    Guarded<Registries> registries_;
    std::condition_variable wake_;  // waited on under the registries' lock
    std::unique_ptr<dispatch::ThreadPool::IdleListenerToken> poolIdleListener_;
};

}  // namespace foundation
