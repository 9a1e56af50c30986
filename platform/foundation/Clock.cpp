#include "platform/foundation/Clock.hpp"

#include "platform/foundation/Guarded.hpp"

#include <algorithm>
#include <map>
#include <vector>

namespace foundation {

namespace {

struct ClockState {
    bool manual = false;
    Clock::TimePoint manualNow{};
    double manualWallAtZero = 0;
    std::uint64_t nextListener = 1;
    std::map<std::uint64_t, Clock::AdvanceListener> listeners;
};

Guarded<ClockState>& guardedState() {
    static Guarded<ClockState> clockState;
    return clockState;
}

std::vector<Clock::AdvanceListener> listenersSnapshot() {
    auto state = guardedState().lock();
    std::vector<Clock::AdvanceListener> snapshot;
    for (auto& [identifier, listener] : state->listeners) snapshot.push_back(listener);
    return snapshot;
}

}  // namespace

Clock::TimePoint Clock::now() {
    auto state = guardedState().lock();
    if (state->manual) return state->manualNow;
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

double Clock::wallSecondsSince1970() {
    auto state = guardedState().lock();
    if (state->manual)
        return state->manualWallAtZero +
               std::chrono::duration<double>(state->manualNow.time_since_epoch()).count();
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool Clock::isManual() {
    auto state = guardedState().lock();
    return state->manual;
}

void Clock::installManual(double wallSecondsSince1970) {
    auto state = guardedState().lock();
    state->manual = true;
    state->manualNow = TimePoint{};
    state->manualWallAtZero = wallSecondsSince1970;
}

void Clock::installReal() {
    auto state = guardedState().lock();
    state->manual = false;
}

void Clock::advance(Duration duration) {
    TimePoint target;
    {
        auto state = guardedState().lock();
        if (!state->manual) return;
        target = state->manualNow + std::max(duration, Duration::zero());
    }
    // Each step moves the clock strictly forward, to the earliest deadline still ahead of
    // it. A deadline at or before the current time has already been offered to its
    // listener's fire (a run-loop timer, for one, stays due until its loop runs), so it
    // must not hold the loop in place.
    for (;;) {
        TimePoint current = now();
        std::optional<TimePoint> next;
        for (auto& listener : listenersSnapshot()) {
            auto deadline = listener.nextDeadline ? listener.nextDeadline() : std::nullopt;
            if (deadline && *deadline > current && *deadline <= target && (!next || *deadline < *next))
                next = deadline;
        }
        {
            auto state = guardedState().lock();
            if (!state->manual) return;
            state->manualNow = std::max(state->manualNow, next.value_or(target));
        }
        for (auto& listener : listenersSnapshot())
            if (listener.fire) listener.fire();
        if (!next || *next == target) return;
    }
}

Clock::ListenerToken::~ListenerToken() {
    auto state = guardedState().lock();
    state->listeners.erase(identifier_);
}

std::unique_ptr<Clock::ListenerToken> Clock::addAdvanceListener(AdvanceListener listener) {
    auto state = guardedState().lock();
    std::uint64_t identifier = state->nextListener++;
    state->listeners.emplace(identifier, std::move(listener));
    return std::make_unique<ListenerToken>(identifier);
}

}  // namespace foundation
