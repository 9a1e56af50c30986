#include "platform/foundation/NotificationCenter.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/NotificationObserver.hpp"

#include <algorithm>
#include <vector>

namespace foundation {

namespace {

// Observers in registration order behind a lock; a post works on a snapshot, so observers
// may be added or removed from any thread, also from inside a delivery.
class ObserverListCenter final : public NotificationCenter, public std::enable_shared_from_this<ObserverListCenter> {
public:
    std::unique_ptr<NotificationToken> addObserver(std::string name, objc::Id object, dispatch::QueuePtr queue,
                                                   std::function<void(const Notification&)> block) override;
    void post(const Notification& notification) override;

    void detach(const std::shared_ptr<NotificationObserver>& observer) {
        observers_.withLock([&](auto& observers) { std::erase(observers, observer); });
    }

private:
    Guarded<std::vector<std::shared_ptr<NotificationObserver>>> observers_;
};

class ObserverToken final : public NotificationToken {
public:
    ObserverToken(std::weak_ptr<ObserverListCenter> center, std::shared_ptr<NotificationObserver> observer)
        : center_(std::move(center)), observer_(std::move(observer)) {}
    ~ObserverToken() override { remove(); }

    void remove() override {
        auto observer = std::exchange(*observer_.lock(), nullptr);
        if (!observer) return;
        if (auto center = center_.lock()) center->detach(observer);
        observer->remove();
    }

private:
    std::weak_ptr<ObserverListCenter> center_;
    Guarded<std::shared_ptr<NotificationObserver>> observer_;
};

std::unique_ptr<NotificationToken> ObserverListCenter::addObserver(std::string name, objc::Id object,
                                                                   dispatch::QueuePtr queue,
                                                                   std::function<void(const Notification&)> block) {
    auto observer = std::make_shared<NotificationObserver>(std::move(name), object, std::move(queue), std::move(block));
    observers_.lock()->push_back(observer);
    return std::make_unique<ObserverToken>(weak_from_this(), observer);
}

void ObserverListCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<NotificationObserver>> matching;
    {
        // The view must outlive the loop: a temporary in the range expression would unlock
        // before the first iteration.
        auto observers = observers_.lock();
        for (auto& observer : *observers)
            if (observer->matches(notification)) matching.push_back(observer);
    }
    for (auto& observer : matching) {
        if (observer->queue())
            observer->queue()->async([observer, notification] { observer->deliver(notification); });
        else
            observer->deliver(notification);
    }
}

}  // namespace

std::shared_ptr<NotificationCenter> NotificationCenter::defaultCenter() {
    static const std::shared_ptr<NotificationCenter> center = make();
    return center;
}

std::shared_ptr<NotificationCenter> NotificationCenter::make() { return std::make_shared<ObserverListCenter>(); }

}  // namespace foundation
