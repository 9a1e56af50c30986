#include "platform/foundation/SerialQueue.hpp"

#include "platform/foundation/QueueContext.hpp"
#include "platform/foundation/ThreadPool.hpp"
#include "platform/foundation/UncaughtException.hpp"

#include <condition_variable>
#include <utility>

namespace dispatch {

struct SerialQueue::SyncHandOff {
    std::mutex mutex;
    std::condition_variable granted;
    bool isGranted = false;

    void grant() {
        std::lock_guard lock(mutex);
        isGranted = true;
        granted.notify_all();
    }
    void waitForGrant() {
        std::unique_lock lock(mutex);
        granted.wait(lock, [&] { return isGranted; });
    }
};

SerialQueue::SerialQueue(std::string label, QueuePtr target) : QueueBase(std::move(label), std::move(target)) {}

void SerialQueue::async(Work work) {
    {
        std::lock_guard lock(mutex_);
        items_.push_back({std::move(work), nullptr});
        if (std::exchange(owned_, true)) return;
    }
    scheduleDrain();
}

void SerialQueue::scheduleDrain() {
    auto self = std::static_pointer_cast<SerialQueue>(shared_from_this());
    if (target())
        target()->async([self] { self->drain(); });
    else
        ThreadPool::shared().submit(Priority::defaultPriority, [self] { self->drain(); });
}

void SerialQueue::drain() {
    for (;;) {
        Item item;
        {
            std::lock_guard lock(mutex_);
            if (items_.empty()) {
                owned_ = false;
                return;
            }
            item = std::move(items_.front());
            items_.pop_front();
        }
        if (item.handOff) {
            item.handOff->grant();  // the sync caller now holds the queue and drains after it
            return;
        }
        QueueContext::Scope scope(*this);
        foundation::invokeReportingUncaught(label(), item.work);
    }
}

void SerialQueue::sync(Work work) {
    if (syncWouldDeadlock()) {
        QueueContext::Scope scope(*this);
        work();
        return;
    }
    if (target()) {
        asyncAndWait(std::move(work));
        return;
    }
    auto handOff = std::make_shared<SyncHandOff>();
    bool holdsQueue = false;
    {
        std::lock_guard lock(mutex_);
        if (!owned_)
            holdsQueue = owned_ = true;
        else
            items_.push_back({nullptr, handOff});
    }
    if (!holdsQueue) handOff->waitForGrant();
    struct Release {
        SerialQueue& queue;
        ~Release() { queue.releaseAfterSync(); }
    } release{*this};
    QueueContext::Scope scope(*this);
    work();
}

void SerialQueue::releaseAfterSync() {
    std::shared_ptr<SyncHandOff> nextCaller;
    {
        std::lock_guard lock(mutex_);
        if (items_.empty()) {
            owned_ = false;
            return;
        }
        if (items_.front().handOff) {
            nextCaller = std::move(items_.front().handOff);
            items_.pop_front();
        }
    }
    // A waiting sync caller takes the queue straight from this one: scheduling a drain for it
    // would need a free worker, and the waiting callers may be occupying all of them.
    if (nextCaller)
        nextCaller->grant();
    else
        scheduleDrain();
}

}  // namespace dispatch
