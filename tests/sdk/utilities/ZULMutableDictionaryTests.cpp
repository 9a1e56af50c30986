#include "sdk/utilities/ZULMutableDictionary.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using foundation::Number;
using foundation::String;

std::int64_t integerAt(const ZULMutableDictionary& dictionary, const std::string& key) {
    auto number = foundation::numberValue(dictionary.objectForKey(key));
    return number ? number->integerValue() : -1;
}

}  // namespace

TEST(QueueGuardedDictionary, ReadAfterWriteOnOneThreadSeesTheWrite) {
    auto dictionary = ZULMutableDictionary::make();
    for (int round = 0; round < 200; ++round) {
        dictionary->setObject(Number::withInteger(round), "key");
        ASSERT_EQ(integerAt(*dictionary, "key"), round);
    }
    dictionary->setObjectForKeyedSubscript(String::make("subscripted"), "other");
    EXPECT_EQ(dictionary->objectForKeyedSubscript("other")->description(), "subscripted");
    EXPECT_EQ(dictionary->count(), 2u);
}

TEST(QueueGuardedDictionary, RemovalsTakeEffectInIssueOrder) {
    auto dictionary = ZULMutableDictionary::make();
    dictionary->setObject(Number::withInteger(1), "a");
    dictionary->setObject(Number::withInteger(2), "b");
    dictionary->removeObjectForKey("a");
    EXPECT_EQ(dictionary->objectForKey("a"), nullptr);
    EXPECT_EQ(dictionary->count(), 1u);

    dictionary->setObjectForKeyedSubscript(nullptr, "b");
    EXPECT_EQ(dictionary->objectForKey("b"), nullptr);

    dictionary->setObject(Number::withInteger(3), "c");
    dictionary->removeAllObjects();
    EXPECT_EQ(dictionary->count(), 0u);
    dictionary->setObject(Number::withInteger(4), "d");
    EXPECT_EQ(dictionary->count(), 1u);
}

TEST(QueueGuardedDictionary, SettingNilIsRefusedAndChangesNothing) {
    auto dictionary = ZULMutableDictionary::make();
    dictionary->setObject(Number::withInteger(1), "kept");
    EXPECT_THROW(dictionary->setObject(nullptr, "kept"), foundation::Exception);
    EXPECT_EQ(integerAt(*dictionary, "kept"), 1);
}

TEST(QueueGuardedDictionary, SnapshotsDoNotFollowLaterWrites) {
    auto dictionary = ZULMutableDictionary::make();
    dictionary->setObject(Number::withInteger(1), "a");
    auto snapshot = dictionary->dictionary();
    dictionary->setObject(Number::withInteger(2), "a");
    dictionary->setObject(Number::withInteger(3), "b");
    dictionary->removeAllObjects();
    // A read waits on the queue for the writes issued before it, so they have all run now.
    EXPECT_EQ(dictionary->count(), 0u);
    ASSERT_EQ(snapshot->count(), 1u);
    EXPECT_EQ(foundation::numberValue(snapshot->objectForKey("a"))->integerValue(), 1);
    EXPECT_EQ(dictionary->description(), foundation::Dictionary().description());
}

TEST(QueueGuardedDictionary, ConcurrentReadersNeverSeeAHalfMadeChange) {
    auto dictionary = ZULMutableDictionary::make();
    constexpr int writers = 4;
    constexpr int writesPerWriter = 400;
    constexpr int readers = 4;
    // Each write replaces "pair" with a two-element array of equal halves, and bumps a
    // per-writer key; a torn write would show unequal halves.
    dictionary->setObject(foundation::Array::make({Number::withInteger(0), Number::withInteger(0)}), "pair");
    std::atomic<int> writersDone{0};
    std::atomic<int> tornReads{0};
    std::atomic<int> reads{0};

    std::vector<std::thread> threads;
    for (int writer = 0; writer < writers; ++writer)
        threads.emplace_back([&, writer] {
            for (int index = 0; index < writesPerWriter; ++index) {
                auto value = Number::withInteger(writer * writesPerWriter + index);
                dictionary->setObject(foundation::Array::make({value, value}), "pair");
                dictionary->setObject(Number::withInteger(index), "writer" + std::to_string(writer));
            }
            ++writersDone;
        });
    for (int reader = 0; reader < readers; ++reader)
        threads.emplace_back([&] {
            do {
                auto pair = foundation::arrayValue(dictionary->objectForKey("pair"));
                if (!pair || pair->count() != 2 || !pair->objectAtIndex(0)->isEqual(*pair->objectAtIndex(1)))
                    ++tornReads;
                auto snapshot = dictionary->dictionary();
                if (snapshot->count() > static_cast<std::size_t>(writers + 1)) ++tornReads;
                ++reads;
            } while (writersDone < writers);
        });
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(tornReads, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(dictionary->count(), static_cast<std::size_t>(writers + 1));
    for (int writer = 0; writer < writers; ++writer)
        EXPECT_EQ(integerAt(*dictionary, "writer" + std::to_string(writer)), writesPerWriter - 1);
}
