#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/NotificationCenter.hpp"

#include <condition_variable>
#include <thread>
#include <vector>

namespace foundation {

// One observer of a notification centre: its filter, its queue and its block. Deliveries
// may come from any thread; once remove() has returned no delivery starts, and remove()
// waits for deliveries already running on other threads (not for one on its own thread,
// so an observer may remove itself from its block).
class NotificationObserver {
public:
    NotificationObserver(std::string name, const objc::Id& object, dispatch::QueuePtr queue,
                         std::function<void(const Notification&)> block);

    bool matches(const Notification& notification) const;
    const dispatch::QueuePtr& queue() const { return queue_; }
    void deliver(const Notification& notification);
    void remove();

private:
    const std::string name_;
    const bool filtersByObject_;
    const objc::WeakId object_;  // compared by identity; held weakly, as the platform does
    const dispatch::QueuePtr queue_;
    const std::function<void(const Notification&)> block_;

    struct Deliveries {
        bool removed = false;
        std::vector<std::thread::id> deliveringThreads;
    };
    Guarded<Deliveries> deliveries_;
    std::condition_variable deliveryFinished_;  // waited on under the deliveries' lock
};

}  // namespace foundation
