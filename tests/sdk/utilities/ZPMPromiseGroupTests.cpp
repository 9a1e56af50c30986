#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <atomic>

using namespace promisetests;

namespace {

constexpr dispatch::Duration noWait{0};

class PromiseDispatchGroup : public PromiseTest {
protected:
    static bool groupIsEmpty() { return ZPMPromise::dispatchGroup()->wait(noWait); }
};

TEST_F(PromiseDispatchGroup, IsTheSameGroupForTheWholeProcess) {
    EXPECT_EQ(ZPMPromise::dispatchGroup(), ZPMPromise::dispatchGroup());
    EXPECT_TRUE(groupIsEmpty());
}

TEST_F(PromiseDispatchGroup, PendingPromiseKeepsTheGroupBusyUntilResolved) {
    auto promise = ZPMPromise::pendingPromise();
    EXPECT_FALSE(groupIsEmpty());
    promise->fulfill(nullptr);
    EXPECT_TRUE(groupIsEmpty());
    EXPECT_TRUE(ZPMPromise::resolvedWith(nullptr)) << "resolved promises never enter";
    EXPECT_TRUE(groupIsEmpty());
}

TEST_F(PromiseDispatchGroup, QueuedCallbacksKeepTheGroupBusyUntilTheyRan) {
    // The main queue runs only inside settle(), so the callbacks below stay queued until then.
    CallLog log;
    auto promise = ZPMPromise::pendingPromise();
    promise->observeOnQueue(
        dispatch::mainQueue(), [&](objc::Id) { log.add("observer"); }, [](ZPMPromise::ErrorPtr) {});
    promise->fulfill(nullptr);
    EXPECT_FALSE(groupIsEmpty()) << "the resolution hands its observer to the group before leaving it";
    settle();
    EXPECT_EQ(log.count(), 1u);
    EXPECT_TRUE(groupIsEmpty());

    promise->observeOnQueue(
        dispatch::mainQueue(), [&](objc::Id) { log.add("late observer"); }, [](ZPMPromise::ErrorPtr) {});
    EXPECT_FALSE(groupIsEmpty()) << "an observer of a resolved promise is queued in the group";
    settle();
    EXPECT_EQ(log.count(), 2u);
    EXPECT_TRUE(groupIsEmpty());
}

TEST_F(PromiseDispatchGroup, PendingPromiseDestroyedUnresolvedLeavesTheGroup) {
    auto promise = ZPMPromise::pendingPromise();
    auto chained = promise->then([](objc::Id value) { return value; })->catch_([](ZPMPromise::ErrorPtr) {});
    EXPECT_FALSE(groupIsEmpty());
    promise.reset();
    chained.reset();
    EXPECT_TRUE(groupIsEmpty()) << "the chain died with its receiver";
}

TEST_F(PromiseDispatchGroup, WaitReturnsOnlyAfterQueuedCallbacksRan) {
    std::atomic<int> ran{0};
    auto source = ZPMPromise::pendingPromise();
    auto chained = source
                       ->onQueueThen(testQueue(),
                                     [&ran](objc::Id value) {
                                         ran.fetch_add(1);
                                         return value;
                                     })
                       ->onQueueThen(testQueue(), [&ran](objc::Id value) {
                           ran.fetch_add(10);
                           return value;
                       });
    ZPMPromise::resolvedWith(nullptr)->observeOnQueue(
        testQueue(), [&ran](objc::Id) { ran.fetch_add(100); }, [](ZPMPromise::ErrorPtr) {});
    EXPECT_FALSE(groupIsEmpty());

    // Resolved from the pool: the wait covers the resolution and every callback it queues.
    testQueue()->async([source] { source->fulfill(nullptr); });
    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait());
    EXPECT_EQ(ran.load(), 111);
    EXPECT_TRUE(chained->isFulfilled());
}

TEST_F(PromiseDispatchGroup, AllWithAnInputThatDiesUnresolvedDoesNotHoldTheGroup) {
    auto input = ZPMPromise::pendingPromise();
    auto combined = ZPMPromise::onQueueAll(testQueue(), array({input, number(1)}));
    auto racing = ZPMPromise::onQueueAny(testQueue(), array({input}));
    ASSERT_TRUE(ZPMPromise::dispatchGroup()->wait(noWait) == false);
    settle();
    std::weak_ptr<ZPMPromise> watched = combined;
    input.reset();
    combined.reset();
    racing.reset();
    EXPECT_TRUE(watched.expired()) << "observers hold the result, not their own promise";
    EXPECT_TRUE(groupIsEmpty());
}

}  // namespace
