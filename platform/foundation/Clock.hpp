#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace foundation {

// The one clock every timer, delay, animation, timeout and timestamp of the process reads.
// By default it is the real clock; tests install the manual clock, which only moves when
// advanced. Safe to read from any thread.
class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    // Monotonic time since an arbitrary start.
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    static TimePoint now();
    // Wall time, for dates and file ages.
    static double wallSecondsSince1970();

    static bool isManual();
    // Switches the process to the manual clock, standing at the given wall time.
    static void installManual(double wallSecondsSince1970 = 1'765'000'000.0);
    // Back to the real clock.
    static void installReal();

    // Moves the manual clock forward. Listeners are told after each step so that due work
    // fires in deadline order at its own time (see addAdvanceListener). No effect on the
    // real clock.
    static void advance(Duration duration);

    // A listener answers the earliest deadline it still waits for, or nullopt; advance()
    // steps the clock to each such deadline still ahead of it in turn (never past the
    // target) and after each step calls fire on every listener; a deadline at or before
    // the current time is ignored. The token removes the listener when destroyed.
    struct AdvanceListener {
        std::function<std::optional<TimePoint>()> nextDeadline;
        std::function<void()> fire;
    };
    class ListenerToken {
    public:
        explicit ListenerToken(std::uint64_t identifier) : identifier_(identifier) {}
        ListenerToken(const ListenerToken&) = delete;
        ListenerToken& operator=(const ListenerToken&) = delete;
        ~ListenerToken();

    private:
        std::uint64_t identifier_;
    };
    static std::unique_ptr<ListenerToken> addAdvanceListener(AdvanceListener listener);
};

}  // namespace foundation
