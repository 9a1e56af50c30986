#include "platform/foundation/Cache.hpp"

#include "platform/foundation/String.hpp"

#include <gtest/gtest.h>

namespace {

using foundation::Cache;
using foundation::String;

std::vector<std::string> present(Cache& cache, std::initializer_list<const char*> keys) {
    std::vector<std::string> found;
    for (auto* key : keys)
        if (cache.objectForKey(key)) found.push_back(key);
    return found;
}

}  // namespace

TEST(Cache, PastItsCountLimitTheLeastRecentlyUsedEntryGoes) {
    auto cache = Cache::make();
    cache->setCountLimit(2);
    cache->setObject(String::make("A"), "a");
    cache->setObject(String::make("B"), "b");
    EXPECT_EQ(cache->objectForKey("a")->description(), "A");  // a is now the most recent
    cache->setObject(String::make("C"), "c");
    EXPECT_EQ(cache->objectForKey("b"), nullptr);
    EXPECT_EQ(cache->objectForKey("a")->description(), "A");
    EXPECT_EQ(cache->objectForKey("c")->description(), "C");
}

TEST(Cache, ReplacingAnEntryDoesNotEvictAndLoweringTheLimitDoes) {
    auto cache = Cache::make();
    cache->setCountLimit(3);
    for (auto* key : {"a", "b", "c"}) cache->setObject(String::make(key), key);
    cache->setObject(String::make("A2"), "a");
    EXPECT_EQ(present(*cache, {"a", "b", "c"}).size(), 3u);
    EXPECT_EQ(cache->objectForKey("a")->description(), "A2");
    cache->setCountLimit(1);
    EXPECT_EQ(present(*cache, {"a", "b", "c"}), std::vector<std::string>{"a"});
}

TEST(Cache, ZeroMeansNoLimitAndNilRemoves) {
    auto cache = Cache::make();
    EXPECT_EQ(cache->countLimit(), 0u);
    for (int index = 0; index < 1000; ++index) cache->setObject(String::make("v"), std::to_string(index));
    EXPECT_NE(cache->objectForKey("0"), nullptr);
    cache->setObject(nullptr, "0");
    EXPECT_EQ(cache->objectForKey("0"), nullptr);
    cache->removeAllObjects();
    EXPECT_EQ(cache->objectForKey("999"), nullptr);
}
