#include "platform/foundation/Clock.hpp"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace foundation {

namespace {

struct ClockState {
    std::mutex mutex;
    bool manual = false;
    Clock::TimePoint manualNow{};
    double manualWallAtZero = 0;
    std::uint64_t nextListener = 1;
    std::map<std::uint64_t, Clock::AdvanceListener> listeners;
};

ClockState& state() {
    static ClockState clockState;
    return clockState;
}

std::vector<Clock::AdvanceListener> listenersSnapshot() {
    std::lock_guard lock(state().mutex);
    std::vector<Clock::AdvanceListener> snapshot;
    for (auto& [identifier, listener] : state().listeners) snapshot.push_back(listener);
    return snapshot;
}

}  // namespace

Clock::TimePoint Clock::now() {
    std::lock_guard lock(state().mutex);
    if (state().manual) return state().manualNow;
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

double Clock::wallSecondsSince1970() {
    std::lock_guard lock(state().mutex);
    if (state().manual)
        return state().manualWallAtZero +
               std::chrono::duration<double>(state().manualNow.time_since_epoch()).count();
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool Clock::isManual() {
    std::lock_guard lock(state().mutex);
    return state().manual;
}

void Clock::installManual(double wallSecondsSince1970) {
    std::lock_guard lock(state().mutex);
    state().manual = true;
    state().manualNow = TimePoint{};
    state().manualWallAtZero = wallSecondsSince1970;
}

void Clock::installReal() {
    std::lock_guard lock(state().mutex);
    state().manual = false;
}

void Clock::advance(Duration duration) {
    TimePoint target;
    {
        std::lock_guard lock(state().mutex);
        if (!state().manual) return;
        target = state().manualNow + duration;
    }
    for (;;) {
        std::optional<TimePoint> earliest;
        for (auto& listener : listenersSnapshot()) {
            auto deadline = listener.nextDeadline ? listener.nextDeadline() : std::nullopt;
            if (deadline && (!earliest || *deadline < *earliest)) earliest = deadline;
        }
        bool stepped = false;
        {
            std::lock_guard lock(state().mutex);
            if (earliest && *earliest <= target) {
                if (*earliest > state().manualNow) state().manualNow = *earliest;
                stepped = true;
            } else {
                state().manualNow = target;
            }
        }
        for (auto& listener : listenersSnapshot())
            if (listener.fire) listener.fire();
        if (!stepped) return;
        // A listener whose deadline did not move after firing would loop forever; stop once
        // the clock has reached the target and nothing earlier is due.
        std::lock_guard lock(state().mutex);
        if (state().manualNow >= target && (!earliest || *earliest >= target)) return;
    }
}

Clock::ListenerToken::~ListenerToken() {
    std::lock_guard lock(state().mutex);
    state().listeners.erase(identifier_);
}

std::unique_ptr<Clock::ListenerToken> Clock::addAdvanceListener(AdvanceListener listener) {
    std::lock_guard lock(state().mutex);
    std::uint64_t identifier = state().nextListener++;
    state().listeners.emplace(identifier, std::move(listener));
    return std::make_unique<ListenerToken>(identifier);
}

}  // namespace foundation
