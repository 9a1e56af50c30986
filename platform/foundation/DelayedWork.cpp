#include "platform/foundation/DelayedWork.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"

#include <condition_variable>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace dispatch {

using foundation::Clock;

struct DelayedWork::State {
    struct Entry {
        QueuePtr queue;
        Work work;
    };
    struct Schedule {
        std::map<std::pair<Clock::TimePoint, std::uint64_t>, Entry> entries;  // deadline, then order of scheduling
        std::uint64_t nextSequence = 0;
        bool timerThreadStarted = false;
    };
    foundation::Guarded<Schedule> schedule;
    std::condition_variable changed;  // waited on under the schedule's lock

    std::optional<Clock::TimePoint> earliestDeadline() {
        auto current = schedule.lock();
        if (current->entries.empty()) return std::nullopt;
        return current->entries.begin()->first.first;
    }

    void submitDue(Clock::TimePoint now) {
        std::vector<Entry> due;
        {
            auto current = schedule.lock();
            auto& entries = current->entries;
            while (!entries.empty() && entries.begin()->first.first <= now) {
                due.push_back(std::move(entries.begin()->second));
                entries.erase(entries.begin());
            }
        }
        for (auto& entry : due) entry.queue->async(std::move(entry.work));
    }
};

namespace {

// Serves the real clock; while the manual clock is installed it only waits for changes.
void timerThreadLoop(const std::shared_ptr<DelayedWork::State>& state) {
    for (;;) {
        {
            auto schedule = state->schedule.lock();
            if (schedule->entries.empty() || Clock::isManual()) {
                schedule.wait(state->changed);
                continue;
            }
            auto deadline = schedule->entries.begin()->first.first;
            if (Clock::now() < deadline) {
                schedule.waitUntil(state->changed, deadline);
                continue;
            }
        }
        state->submitDue(Clock::now());
    }
}

}  // namespace

DelayedWork::DelayedWork() : state_(std::make_shared<State>()) {
    std::weak_ptr<State> weakState = state_;
    clockListener_ = Clock::addAdvanceListener({
        [weakState]() -> std::optional<Clock::TimePoint> {
            auto state = weakState.lock();
            return state ? state->earliestDeadline() : std::nullopt;
        },
        [weakState] {
            if (auto state = weakState.lock()) state->submitDue(Clock::now());
        },
    });
}

DelayedWork& DelayedWork::shared() {
    static DelayedWork scheduler;
    return scheduler;
}

void DelayedWork::schedule(Clock::TimePoint deadline, QueuePtr queue, Work work) {
    // Work still waiting when a test ends never reaches the next one.
    static foundation::ProcessWideReset reset([state = state_] { state->schedule.lock()->entries.clear(); });
    bool startTimerThread = false;
    {
        auto schedule = state_->schedule.lock();
        schedule->entries.emplace(std::pair{deadline, schedule->nextSequence++},
                                  State::Entry{std::move(queue), std::move(work)});
        startTimerThread = !Clock::isManual() && !std::exchange(schedule->timerThreadStarted, true);
    }
    reset.arm();
    if (startTimerThread) std::thread([state = state_] { timerThreadLoop(state); }).detach();
    state_->changed.notify_all();
}

}  // namespace dispatch
