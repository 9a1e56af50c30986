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
        std::lock_guard lock(mutex_);
        if (removed_) return;
        deliveringThreads_.push_back(thread);
    }
    struct Finish {
        NotificationObserver& observer;
        std::thread::id thread;
        ~Finish() {
            std::lock_guard lock(observer.mutex_);
            auto& threads = observer.deliveringThreads_;
            threads.erase(std::find(threads.begin(), threads.end(), thread));
            observer.deliveryFinished_.notify_all();
        }
    } finish{*this, thread};
    block_(notification);
}

void NotificationObserver::remove() {
    const auto thread = std::this_thread::get_id();
    std::unique_lock lock(mutex_);
    removed_ = true;
    deliveryFinished_.wait(lock, [&] {
        return std::all_of(deliveringThreads_.begin(), deliveringThreads_.end(),
                           [&](std::thread::id delivering) { return delivering == thread; });
    });
}

}  // namespace foundation
