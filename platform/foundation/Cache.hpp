#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/objc/Object.hpp"

#include <cstddef>
#include <list>
#include <map>
#include <string>
#include <string_view>

namespace foundation {

// A key-to-object cache that forgets objects on its own: once it holds more than its count
// limit, the least recently used entries are evicted. A limit of 0 means no limit. Safe for
// concurrent use from any thread (one lock per cache).
class Cache final : public objc::Object {
public:
    Cache();
    static std::shared_ptr<Cache> make() { return std::make_shared<Cache>(); }

    // Nil when absent or evicted; a hit counts as a use.
    objc::Id objectForKey(std::string_view key);
    // Nil removes the key.
    void setObject(objc::Id object, std::string key);
    void removeObjectForKey(std::string_view key);
    void removeAllObjects();

    std::size_t countLimit() const;
    void setCountLimit(std::size_t limit);

private:
    using Recency = std::list<std::string>;
    struct Entry {
        objc::Id object;
        Recency::iterator recency;
    };
    struct Contents {
        std::size_t countLimit = 0;
        Recency recency;  // most recently used first
        std::map<std::string, Entry, std::less<>> entries;

        void evictOverLimit();
    };

    Guarded<Contents> contents_;
};

}  // namespace foundation
