#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <atomic>
#include <thread>

using namespace promisetests;

namespace {

constexpr std::size_t promiseCount = 100'000;
constexpr std::size_t resolverThreads = 4;

class PromiseStress : public PromiseTest {};

// Chains are built on one thread, resolved from several at once and observed on a
// concurrent queue: every callback must run exactly once, nothing may stay pending, and
// nothing may leak (the sanitizer build checks that at exit).
TEST_F(PromiseStress, HundredThousandChainsResolvedAcrossThreads) {
    auto concurrent = dispatch::createQueue("com.kestrelvault.tests.promises.concurrent",
                                            dispatch::Attributes::concurrent);
    std::atomic<std::size_t> fulfilled{0};
    std::atomic<std::size_t> rejected{0};
    std::atomic<std::int64_t> sum{0};

    std::vector<ZPMPromise::Ptr> sources;
    sources.reserve(promiseCount);
    for (std::size_t index = 0; index < promiseCount; ++index) {
        auto source = ZPMPromise::pendingPromise();
        source->onQueueThen(concurrent, [](objc::Id value) { return objc::Id(number(integerOf(value) + 1)); })
            ->onQueueRecover(concurrent, [](ZPMPromise::ErrorPtr failure) { return objc::Id(failure); })
            ->observeOnQueue(
                concurrent,
                [&](objc::Id value) {
                    sum.fetch_add(integerOf(value));
                    fulfilled.fetch_add(1);
                },
                [&](ZPMPromise::ErrorPtr) { rejected.fetch_add(1); });
        sources.push_back(std::move(source));
    }

    std::vector<std::thread> resolvers;
    for (std::size_t thread = 0; thread < resolverThreads; ++thread) {
        resolvers.emplace_back([&sources, thread] {
            // Every thread resolves every promise, in different orders: only one wins.
            for (std::size_t step = 0; step < promiseCount; ++step) {
                std::size_t index = (step * (thread * 2 + 1)) % promiseCount;
                if (index % 2 == 0)
                    sources[index]->fulfill(number(static_cast<std::int64_t>(index % 10)));
                else
                    sources[index]->reject(error(static_cast<std::int64_t>(thread)));
            }
        });
    }
    for (auto& resolver : resolvers) resolver.join();
    sources.clear();

    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait());
    EXPECT_EQ(fulfilled.load(), promiseCount / 2);
    EXPECT_EQ(rejected.load(), promiseCount / 2);
    // Even indexes 0, 2, … 99998 give index % 10 in {0, 2, 4, 6, 8}, each plus one.
    EXPECT_EQ(sum.load(), static_cast<std::int64_t>(promiseCount / 2 / 5 * (1 + 3 + 5 + 7 + 9)));
}

// Observers are added from several threads while another one resolves the promise: each
// observer lands either before the resolution or after it, and runs exactly once.
TEST_F(PromiseStress, ObserversAddedWhileAnotherThreadResolvesRunOnce) {
    constexpr std::size_t rounds = 400;
    constexpr std::size_t observersPerThread = 50;
    auto concurrent = dispatch::globalQueue();
    std::atomic<std::size_t> fulfilled{0};
    std::atomic<std::size_t> rejected{0};
    for (std::size_t round = 0; round < rounds; ++round) {
        auto promise = ZPMPromise::pendingPromise();
        std::vector<std::thread> threads;
        for (std::size_t thread = 0; thread < resolverThreads; ++thread)
            threads.emplace_back([&] {
                for (std::size_t index = 0; index < observersPerThread; ++index)
                    promise->observeOnQueue(
                        concurrent, [&](objc::Id) { fulfilled.fetch_add(1); },
                        [&](ZPMPromise::ErrorPtr) { rejected.fetch_add(1); });
            });
        threads.emplace_back([&promise, round] {
            if (round % 2 == 0)
                promise->fulfill(number(1));
            else
                promise->reject(error(1));
        });
        for (auto& thread : threads) thread.join();
    }

    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait());
    constexpr std::size_t perOutcome = rounds / 2 * resolverThreads * observersPerThread;
    EXPECT_EQ(fulfilled.load(), perOutcome);
    EXPECT_EQ(rejected.load(), perOutcome);
}

TEST_F(PromiseStress, CombinatorsOverManyPromisesResolvedConcurrently) {
    constexpr std::size_t count = 10'000;
    std::vector<objc::Id> items;
    std::vector<ZPMPromise::Ptr> sources;
    for (std::size_t index = 0; index < count; ++index) {
        sources.push_back(ZPMPromise::pendingPromise());
        items.push_back(sources.back());
    }
    auto concurrent = dispatch::globalQueue();
    auto all = ZPMPromise::onQueueAll(concurrent, array(items));
    auto any = ZPMPromise::onQueueAny(concurrent, array(items));
    auto race = ZPMPromise::onQueueRace(concurrent, array(items));
    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait(std::chrono::nanoseconds(0)) == false);

    std::vector<std::thread> resolvers;
    for (std::size_t thread = 0; thread < resolverThreads; ++thread)
        resolvers.emplace_back([&sources, thread] {
            for (std::size_t index = thread; index < count; index += resolverThreads)
                sources[index]->fulfill(number(static_cast<std::int64_t>(index)));
        });
    for (auto& resolver : resolvers) resolver.join();
    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait());

    auto values = foundation::arrayValue(all->value());
    ASSERT_TRUE(values);
    ASSERT_EQ(values->count(), count);
    auto combined = foundation::arrayValue(any->value());
    ASSERT_TRUE(combined);
    for (std::size_t index = 0; index < count; ++index) {
        ASSERT_EQ(integerOf(values->objectAtIndex(index)), static_cast<std::int64_t>(index));
        ASSERT_EQ(integerOf(combined->objectAtIndex(index)), static_cast<std::int64_t>(index));
    }
    EXPECT_TRUE(race->isFulfilled());
}

TEST_F(PromiseStress, LongUnresolvedChainIsReleasedWithoutOverflowingTheStack) {
    auto head = ZPMPromise::pendingPromise();
    std::weak_ptr<ZPMPromise> tail;
    {
        auto link = head;
        for (std::size_t index = 0; index < promiseCount; ++index)
            link = link->onQueueThen(testQueue(), [](objc::Id value) { return value; });
        // A reduce over many items builds the same kind of chain.
        std::vector<objc::Id> items(promiseCount, number(1));
        link = link->reduce(array(std::move(items)), [](objc::Id partial, objc::Id) { return partial; });
        tail = link;
    }
    EXPECT_FALSE(tail.expired()) << "each link holds the next while the head is pending";
    head.reset();
    EXPECT_TRUE(tail.expired());
    EXPECT_TRUE(ZPMPromise::dispatchGroup()->wait(std::chrono::nanoseconds(0)));
}

}  // namespace
