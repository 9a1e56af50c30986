#include "platform/foundation/Cache.hpp"

#include "platform/objc/Class.hpp"

namespace foundation {

Cache::Cache() : objc::Object(objc::defineClass("NSCache")) {}

objc::Id Cache::objectForKey(std::string_view key) {
    auto contents = contents_.lock();
    auto found = contents->entries.find(key);
    if (found == contents->entries.end()) return nullptr;
    contents->recency.splice(contents->recency.begin(), contents->recency, found->second.recency);
    return found->second.object;
}

void Cache::setObject(objc::Id object, std::string key) {
    if (!object) {
        removeObjectForKey(key);
        return;
    }
    auto contents = contents_.lock();
    auto found = contents->entries.find(key);
    if (found != contents->entries.end()) {
        found->second.object = std::move(object);
        contents->recency.splice(contents->recency.begin(), contents->recency, found->second.recency);
        return;
    }
    contents->recency.push_front(key);
    contents->entries.emplace(std::move(key), Entry{std::move(object), contents->recency.begin()});
    contents->evictOverLimit();
}

void Cache::removeObjectForKey(std::string_view key) {
    auto contents = contents_.lock();
    auto found = contents->entries.find(key);
    if (found == contents->entries.end()) return;
    contents->recency.erase(found->second.recency);
    contents->entries.erase(found);
}

void Cache::removeAllObjects() {
    auto contents = contents_.lock();
    contents->entries.clear();
    contents->recency.clear();
}

std::size_t Cache::countLimit() const { return contents_.lock()->countLimit; }

void Cache::setCountLimit(std::size_t limit) {
    auto contents = contents_.lock();
    contents->countLimit = limit;
    contents->evictOverLimit();
}

void Cache::Contents::evictOverLimit() {
    while (countLimit > 0 && entries.size() > countLimit) {
        entries.erase(recency.back());
        recency.pop_back();
    }
}

}  // namespace foundation
