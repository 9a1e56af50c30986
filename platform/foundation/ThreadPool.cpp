#include "platform/foundation/ThreadPool.hpp"

#include "platform/foundation/Guarded.hpp"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace dispatch {

struct ThreadPool::State {
    struct Tasks {
        std::array<std::deque<Work>, 5> byPriority;  // index = Priority, highest last
        std::size_t unfinished = 0;                  // queued or running
        std::size_t workers = 0;                     // started
        std::size_t waitingWorkers = 0;              // waiting for a task
        std::uint64_t nextListener = 1;
        std::map<std::uint64_t, std::function<void()>> idleListeners;
    };
    foundation::Guarded<Tasks> tasks;
    std::condition_variable workAvailable;  // waited on under the tasks' lock
};

namespace {

void workerLoop(const std::shared_ptr<ThreadPool::State>& state);

std::size_t maximumWorkerCount() { return std::max<std::size_t>(4, std::thread::hardware_concurrency()); }

std::size_t queuedCount(const ThreadPool::State::Tasks& tasks) {
    std::size_t queued = 0;
    for (const auto& tasksOfOnePriority : tasks.byPriority) queued += tasksOfOnePriority.size();
    return queued;
}

}  // namespace

ThreadPool::ThreadPool() : state_(std::make_shared<State>()) {}

ThreadPool& ThreadPool::shared() {
    static ThreadPool pool;
    return pool;
}

void ThreadPool::submit(Priority priority, Work task) {
    bool startWorker = false;
    {
        auto tasks = state_->tasks.lock();
        tasks->byPriority[static_cast<std::size_t>(priority)].push_back(std::move(task));
        ++tasks->unfinished;
        // A worker is started only when the waiting ones cannot take every queued task, so a
        // small load runs on few threads (each costs a stack and, once it allocates, its own
        // malloc arena).
        startWorker = queuedCount(*tasks) > tasks->waitingWorkers && tasks->workers < maximumWorkerCount();
        if (startWorker) ++tasks->workers;
    }
    if (startWorker) std::thread([state = state_] { workerLoop(state); }).detach();
    state_->workAvailable.notify_one();
}

bool ThreadPool::isIdle() const { return state_->tasks.lock()->unfinished == 0; }

namespace {

class PoolIdleListenerToken final : public ThreadPool::IdleListenerToken {
public:
    PoolIdleListenerToken(std::weak_ptr<ThreadPool::State> state, std::uint64_t identifier)
        : state_(std::move(state)), identifier_(identifier) {}
    ~PoolIdleListenerToken() override {
        if (auto state = state_.lock()) state->tasks.lock()->idleListeners.erase(identifier_);
    }

private:
    std::weak_ptr<ThreadPool::State> state_;
    std::uint64_t identifier_;
};

Work takeHighestPriorityTask(ThreadPool::State::Tasks& tasks) {
    for (auto queued = tasks.byPriority.rbegin(); queued != tasks.byPriority.rend(); ++queued)
        if (!queued->empty()) {
            Work task = std::move(queued->front());
            queued->pop_front();
            return task;
        }
    return nullptr;
}

void workerLoop(const std::shared_ptr<ThreadPool::State>& state) {
    auto tasks = state->tasks.lock();
    for (;;) {
        Work task;
        ++tasks->waitingWorkers;
        tasks.wait(state->workAvailable,
                   [&](ThreadPool::State::Tasks& queued) { return (task = takeHighestPriorityTask(queued)) != nullptr; });
        --tasks->waitingWorkers;
        tasks.unlocked([&] {
            task();
            task = nullptr;  // release captures before the pool counts as idle
        });
        if (--tasks->unfinished != 0) continue;
        std::vector<std::function<void()>> listeners;
        for (auto& [identifier, listener] : tasks->idleListeners) listeners.push_back(listener);
        tasks.unlocked([&] {
            for (auto& listener : listeners) listener();
        });
    }
}

}  // namespace

std::unique_ptr<ThreadPool::IdleListenerToken> ThreadPool::addIdleListener(std::function<void()> listener) {
    auto tasks = state_->tasks.lock();
    std::uint64_t identifier = tasks->nextListener++;
    tasks->idleListeners.emplace(identifier, std::move(listener));
    return std::make_unique<PoolIdleListenerToken>(state_, identifier);
}

}  // namespace dispatch
