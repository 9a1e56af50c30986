#include "platform/foundation/DispatchGroup.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/ThreadPool.hpp"

namespace dispatch {

using foundation::Clock;

std::shared_ptr<Group> Group::create() { return std::make_shared<DispatchGroup>(); }

void DispatchGroup::enter() { ++state_.lock()->count; }

void DispatchGroup::leave() {
    std::vector<std::pair<QueuePtr, Work>> due;
    bool unbalanced = false;
    {
        auto state = state_.lock();
        if (state->count == 0) {
            unbalanced = true;  // going below zero would fire notifications early and break later waits
        } else if (--state->count == 0) {
            due.swap(state->notifications);
            changed_.notify_all();
        }
    }
    if (unbalanced) foundation::AssertionHandler::handleFailure("Unbalanced call to dispatch_group_leave()");
    for (auto& [queue, work] : due) queue->async(std::move(work));
}

void DispatchGroup::async(const QueuePtr& queue, Work work) {
    enter();
    queue->async([self = shared_from_this(), work = std::move(work)] {
        struct Leave {
            Group& group;
            ~Leave() { group.leave(); }
        } leave{*self};
        work();
    });
}

void DispatchGroup::notify(const QueuePtr& queue, Work work) {
    {
        auto state = state_.lock();
        if (state->count != 0) {
            state->notifications.emplace_back(queue, std::move(work));
            return;
        }
    }
    queue->async(std::move(work));
}

bool DispatchGroup::wait(std::optional<Duration> timeout) {
    auto state = state_.lock();
    auto emptied = [](const State& current) { return current.count == 0; };
    if (!timeout) {
        state.wait(changed_, emptied);
        return true;
    }
    const auto deadline = Clock::now() + *timeout;
    if (Clock::isManual()) return waitOnManualClock(state, deadline);
    return state.waitUntil(changed_, deadline, emptied);
}

void DispatchGroup::wakeWaiters() {
    auto state = state_.lock();
    changed_.notify_all();
}

bool DispatchGroup::waitOnManualClock(LockedState& state, Clock::TimePoint deadline) {
    // The timeout passes only when someone advances the clock; otherwise the group can
    // still empty through work on the pool. Once neither can happen the wait has timed out.
    // The listeners' tokens take other locks as they come and go, so not under this one.
    std::unique_ptr<Clock::ListenerToken> clockListener;
    std::unique_ptr<ThreadPool::IdleListenerToken> poolListener;
    state.unlocked([&] {
        std::weak_ptr<DispatchGroup> weakSelf = std::static_pointer_cast<DispatchGroup>(shared_from_this());
        auto wake = [weakSelf] {
            if (auto self = weakSelf.lock()) self->wakeWaiters();
        };
        clockListener = Clock::addAdvanceListener({[deadline] { return std::optional(deadline); }, wake});
        poolListener = ThreadPool::shared().addIdleListener(wake);
    });
    const auto safetyLimit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool emptied = false;
    for (;;) {
        if ((emptied = state->count == 0)) break;
        if (Clock::now() >= deadline || ThreadPool::shared().isIdle()) break;
        if (state.waitUntil(changed_, safetyLimit) == std::cv_status::timeout) {
            emptied = state->count == 0;
            break;
        }
    }
    state.unlocked([&] {
        poolListener.reset();
        clockListener.reset();
    });
    return emptied;
}

}  // namespace dispatch
