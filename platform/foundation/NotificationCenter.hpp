#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"

#include <functional>
#include <memory>
#include <string>

namespace foundation {

struct Notification {
    std::string name;
    objc::Id object;                        // the poster's object, may be nil
    std::shared_ptr<Dictionary> userInfo;   // may be null
};

// Removes its observer when destroyed (or when remove() is called).
class NotificationToken {
public:
    virtual ~NotificationToken() = default;
    virtual void remove() = 0;
};

// Delivers posted notifications to the observers whose name (empty = any) and object
// (nil = any; else compared by identity) match. Delivery is synchronous on the posting
// thread, or submitted to the observer's queue when one was given. Observers may be added
// or removed from any thread, also from inside a delivery: one removed during a post is
// not called after its removal returned.
class NotificationCenter {
public:
    static std::shared_ptr<NotificationCenter> defaultCenter();
    static std::shared_ptr<NotificationCenter> make();
    virtual ~NotificationCenter() = default;

    [[nodiscard]] virtual std::unique_ptr<NotificationToken> addObserver(
        std::string name, objc::Id object, dispatch::QueuePtr queue,
        std::function<void(const Notification&)> block) = 0;
    virtual void post(const Notification& notification) = 0;
    void post(std::string name, objc::Id object = nullptr, std::shared_ptr<Dictionary> userInfo = nullptr) {
        post(Notification{std::move(name), std::move(object), std::move(userInfo)});
    }
};

}  // namespace foundation
