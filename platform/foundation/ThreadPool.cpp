#include "platform/foundation/ThreadPool.hpp"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace dispatch {

struct ThreadPool::State {
    std::mutex mutex;
    std::condition_variable workAvailable;
    std::array<std::deque<Work>, 5> tasksByPriority;  // index = Priority, highest last
    std::size_t unfinished = 0;                         // queued or running
    bool started = false;
    std::uint64_t nextListener = 1;
    std::map<std::uint64_t, std::function<void()>> idleListeners;
};

namespace {

void workerLoop(const std::shared_ptr<ThreadPool::State>& state);

std::size_t workerCount() { return std::max<std::size_t>(4, std::thread::hardware_concurrency()); }

}  // namespace

ThreadPool::ThreadPool() : state_(std::make_shared<State>()) {}

ThreadPool& ThreadPool::shared() {
    static ThreadPool pool;
    return pool;
}

void ThreadPool::submit(Priority priority, Work task) {
    bool start = false;
    {
        std::lock_guard lock(state_->mutex);
        state_->tasksByPriority[static_cast<std::size_t>(priority)].push_back(std::move(task));
        ++state_->unfinished;
        start = !std::exchange(state_->started, true);
    }
    if (start)
        for (std::size_t index = 0; index < workerCount(); ++index)
            std::thread([state = state_] { workerLoop(state); }).detach();
    state_->workAvailable.notify_one();
}

bool ThreadPool::isIdle() const {
    std::lock_guard lock(state_->mutex);
    return state_->unfinished == 0;
}

namespace {

class PoolIdleListenerToken final : public ThreadPool::IdleListenerToken {
public:
    PoolIdleListenerToken(std::weak_ptr<ThreadPool::State> state, std::uint64_t identifier)
        : state_(std::move(state)), identifier_(identifier) {}
    ~PoolIdleListenerToken() override {
        if (auto state = state_.lock()) {
            std::lock_guard lock(state->mutex);
            state->idleListeners.erase(identifier_);
        }
    }

private:
    std::weak_ptr<ThreadPool::State> state_;
    std::uint64_t identifier_;
};

Work takeHighestPriorityTask(ThreadPool::State& state) {
    for (auto tasks = state.tasksByPriority.rbegin(); tasks != state.tasksByPriority.rend(); ++tasks)
        if (!tasks->empty()) {
            Work task = std::move(tasks->front());
            tasks->pop_front();
            return task;
        }
    return nullptr;
}

void workerLoop(const std::shared_ptr<ThreadPool::State>& state) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        Work task;
        state->workAvailable.wait(lock, [&] { return (task = takeHighestPriorityTask(*state)) != nullptr; });
        lock.unlock();
        task();
        task = nullptr;  // release captures before the pool counts as idle
        lock.lock();
        if (--state->unfinished != 0) continue;
        std::vector<std::function<void()>> listeners;
        for (auto& [identifier, listener] : state->idleListeners) listeners.push_back(listener);
        lock.unlock();
        for (auto& listener : listeners) listener();
        lock.lock();
    }
}

}  // namespace

std::unique_ptr<ThreadPool::IdleListenerToken> ThreadPool::addIdleListener(std::function<void()> listener) {
    std::lock_guard lock(state_->mutex);
    std::uint64_t identifier = state_->nextListener++;
    state_->idleListeners.emplace(identifier, std::move(listener));
    return std::make_unique<PoolIdleListenerToken>(state_, identifier);
}

}  // namespace dispatch
