#include "platform/foundation/DispatchGroup.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/ThreadPool.hpp"

namespace dispatch {

using foundation::Clock;

std::shared_ptr<Group> Group::create() { return std::make_shared<DispatchGroup>(); }

void DispatchGroup::enter() {
    std::lock_guard lock(mutex_);
    ++count_;
}

void DispatchGroup::leave() {
    std::vector<std::pair<QueuePtr, Work>> due;
    bool unbalanced = false;
    {
        std::lock_guard lock(mutex_);
        if (count_ == 0) {
            unbalanced = true;  // going below zero would fire notifications early and break later waits
        } else if (--count_ == 0) {
            due.swap(notifications_);
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
        std::lock_guard lock(mutex_);
        if (count_ != 0) {
            notifications_.emplace_back(queue, std::move(work));
            return;
        }
    }
    queue->async(std::move(work));
}

bool DispatchGroup::wait(std::optional<Duration> timeout) {
    std::unique_lock lock(mutex_);
    if (!timeout) {
        changed_.wait(lock, [&] { return count_ == 0; });
        return true;
    }
    const auto deadline = Clock::now() + *timeout;
    if (Clock::isManual()) return waitOnManualClock(lock, deadline);
    return changed_.wait_until(lock, deadline, [&] { return count_ == 0; });
}

void DispatchGroup::wakeWaiters() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool DispatchGroup::waitOnManualClock(std::unique_lock<std::mutex>& lock, Clock::TimePoint deadline) {
    // The timeout passes only when someone advances the clock; otherwise the group can
    // still empty through work on the pool. Once neither can happen the wait has timed out.
    lock.unlock();
    std::weak_ptr<DispatchGroup> weakSelf = std::static_pointer_cast<DispatchGroup>(shared_from_this());
    auto wake = [weakSelf] {
        if (auto self = weakSelf.lock()) self->wakeWaiters();
    };
    auto clockListener = Clock::addAdvanceListener({[deadline] { return std::optional(deadline); }, wake});
    auto poolListener = ThreadPool::shared().addIdleListener(wake);
    lock.lock();
    const auto safetyLimit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        if (count_ == 0) return true;
        if (Clock::now() >= deadline || ThreadPool::shared().isIdle()) break;
        if (changed_.wait_until(lock, safetyLimit) == std::cv_status::timeout) break;
    }
    bool emptied = count_ == 0;
    lock.unlock();  // the listeners' tokens take other locks as they go
    poolListener.reset();
    clockListener.reset();
    lock.lock();
    return emptied;
}

}  // namespace dispatch
