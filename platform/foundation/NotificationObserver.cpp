#include "platform/foundation/NotificationObserver.hpp"

#include <algorithm>

namespace foundation {

NotificationObserver::NotificationObserver(std::string name, const objc::Id& object, dispatch::QueuePtr queue,
                                           std::function<void(const Notification&)> block)
    : name_(std::move(name)),
      filtersByObject_(object != nullptr),
      object_(object),
      queue_(std::move(queue)),
      block_(std::move(block)) {}

bool NotificationObserver::matches(const Notification& notification) const {
    if (!name_.empty() && name_ != notification.name) return false;
    if (!filtersByObject_) return true;
    // Ownership identity: an object that died cannot be matched by a newcomer at its address.
    return notification.object && !object_.owner_before(notification.object) &&
           !notification.object.owner_before(object_);
}

void NotificationObserver::deliver(const Notification& notification) {
    const auto thread = std::this_thread::get_id();
    {
        auto deliveries = deliveries_.lock();
        if (deliveries->removed) return;
        deliveries->deliveringThreads.push_back(thread);
    }
    struct Finish {
        NotificationObserver& observer;
        std::thread::id thread;
        ~Finish() {
            auto deliveries = observer.deliveries_.lock();
            auto& threads = deliveries->deliveringThreads;
            threads.erase(std::find(threads.begin(), threads.end(), thread));
            observer.deliveryFinished_.notify_all();
        }
    } finish{*this, thread};
    block_(notification);
}

void NotificationObserver::remove() {
    const auto thread = std::this_thread::get_id();
    auto deliveries = deliveries_.lock();
    deliveries->removed = true;
    deliveries.wait(deliveryFinished_, [&](const Deliveries& current) {
        return std::all_of(current.deliveringThreads.begin(), current.deliveringThreads.end(),
                           [&](std::thread::id delivering) { return delivering == thread; });
    });
}

}  // namespace foundation
