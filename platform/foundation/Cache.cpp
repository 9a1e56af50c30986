#include "platform/foundation/Cache.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

Cache::Cache() : objc::Object(objc::defineClass("NSCache")) {}

objc::Id Cache::objectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    auto found = entries_.find(key);
    if (found == entries_.end()) return nullptr;
    recency_.splice(recency_.begin(), recency_, found->second.recency);
    return found->second.object;
}

void Cache::setObject(objc::Id object, std::string key) {
    if (!object) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(mutex_);
    auto found = entries_.find(key);
    if (found != entries_.end()) {
        found->second.object = std::move(object);
        recency_.splice(recency_.begin(), recency_, found->second.recency);
        return;
    }
    recency_.push_front(key);
    entries_.emplace(std::move(key), Entry{std::move(object), recency_.begin()});
    evictOverLimitLocked();
}

void Cache::removeObjectForKey(std::string_view key) {
    std::lock_guard lock(mutex_);
    auto found = entries_.find(key);
    if (found == entries_.end()) return;
    recency_.erase(found->second.recency);
    entries_.erase(found);
}

void Cache::removeAllObjects() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    recency_.clear();
}

std::size_t Cache::countLimit() const {
    std::lock_guard lock(mutex_);
    return countLimit_;
}

void Cache::setCountLimit(std::size_t limit) {
    std::lock_guard lock(mutex_);
    countLimit_ = limit;
    evictOverLimitLocked();
}

void Cache::evictOverLimitLocked() {
    while (countLimit_ > 0 && entries_.size() > countLimit_) {
        entries_.erase(recency_.back());
        recency_.pop_back();
    }
}

}  // namespace foundation
