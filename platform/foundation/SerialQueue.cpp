#include "platform/foundation/SerialQueue.hpp"

#include "platform/foundation/QueueContext.hpp"
#include "platform/foundation/ThreadPool.hpp"
#include "platform/foundation/UncaughtException.hpp"

#include <condition_variable>
#include <utility>

namespace dispatch {

struct SerialQueue::SyncHandOff {
    foundation::Guarded<bool> isGranted{false};
    std::condition_variable granted;

    void grant() {
        *isGranted.lock() = true;
        granted.notify_all();
    }
    void waitForGrant() {
        isGranted.lock().wait(granted, [](bool isGrantedNow) { return isGrantedNow; });
    }
};

SerialQueue::SerialQueue(std::string label, QueuePtr target) : QueueBase(std::move(label), std::move(target)) {}

void SerialQueue::async(Work work) {
    {
        auto pending = pending_.lock();
        pending->items.push_back({std::move(work), nullptr});
        if (std::exchange(pending->owned, true)) return;
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
            auto pending = pending_.lock();
            if (pending->items.empty()) {
                pending->owned = false;
                return;
            }
            item = std::move(pending->items.front());
            pending->items.pop_front();
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
        auto pending = pending_.lock();
        if (!pending->owned)
            holdsQueue = pending->owned = true;
        else
            pending->items.push_back({nullptr, handOff});
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
        auto pending = pending_.lock();
        if (pending->items.empty()) {
            pending->owned = false;
            return;
        }
        if (pending->items.front().handOff) {
            nextCaller = std::move(pending->items.front().handOff);
            pending->items.pop_front();
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
