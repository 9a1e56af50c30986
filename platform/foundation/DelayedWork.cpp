#include "platform/foundation/DelayedWork.hpp"

#include <condition_variable>
#include <map>
#include <mutex>
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
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::pair<Clock::TimePoint, std::uint64_t>, Entry> entries;  // deadline, then order of scheduling
    std::uint64_t nextSequence = 0;
    bool timerThreadStarted = false;

    std::optional<Clock::TimePoint> earliestDeadline() {
        std::lock_guard lock(mutex);
        if (entries.empty()) return std::nullopt;
        return entries.begin()->first.first;
    }

    void submitDue(Clock::TimePoint now) {
        std::vector<Entry> due;
        {
            std::lock_guard lock(mutex);
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
            std::unique_lock lock(state->mutex);
            if (state->entries.empty() || Clock::isManual()) {
                state->changed.wait(lock);
                continue;
            }
            auto deadline = state->entries.begin()->first.first;
            if (Clock::now() < deadline) {
                state->changed.wait_until(lock, deadline);
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
    bool startTimerThread = false;
    {
        std::lock_guard lock(state_->mutex);
        state_->entries.emplace(std::pair{deadline, state_->nextSequence++}, State::Entry{std::move(queue), std::move(work)});
        startTimerThread = !Clock::isManual() && !std::exchange(state_->timerThreadStarted, true);
    }
    if (startTimerThread) std::thread([state = state_] { timerThreadLoop(state); }).detach();
    state_->changed.notify_all();
}

}  // namespace dispatch
