#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <gmock/gmock.h>

#include <limits>

using namespace promisetests;
using testing::ElementsAre;

namespace {

class PromiseTiming : public PromiseTest {};

TEST_F(PromiseTiming, DelayHoldsAFulfilmentForTheInterval) {
    auto receiver = ZPMPromise::pendingPromise();
    auto delayed = receiver->onQueueDelay(testQueue(), 2.0);
    CallLog log;
    delayed->observeOnQueue(
        testQueue(), [&](objc::Id value) { log.addOnQueue(value->description()); }, [](ZPMPromise::ErrorPtr) {});
    advanceSeconds(5);
    EXPECT_TRUE(delayed->isPending()) << "the interval starts at the fulfilment";
    receiver->fulfill(number(1));
    settle();
    advanceSeconds(1.5);
    EXPECT_TRUE(delayed->isPending());
    advanceSeconds(0.5);
    EXPECT_EQ(integerOf(delayed->value()), 1);
    EXPECT_THAT(log.entries(), ElementsAre(std::string("1@") + testQueueLabel));
}

TEST_F(PromiseTiming, DelayDoesNotHoldARejection) {
    auto failure = error(1);
    auto delayed = ZPMPromise::resolvedWith(failure)->delay(10);
    settle();
    EXPECT_EQ(delayed->error(), failure);
}

TEST_F(PromiseTiming, DelayWithANegativeOrInvalidIntervalIsImmediate) {
    for (double interval : {-1.0, std::numeric_limits<double>::quiet_NaN(), 0.0}) {
        auto delayed = ZPMPromise::resolvedWith(number(2))->delay(interval);
        settle();
        EXPECT_EQ(integerOf(delayed->value()), 2) << interval;
    }
}

TEST_F(PromiseTiming, EndlessIntervalsNeverElapse) {
    for (double interval : {std::numeric_limits<double>::infinity(), 1e300}) {
        SCOPED_TRACE(interval);
        CallLog attempts;
        auto delayed = ZPMPromise::resolvedWith(number(1))->delay(interval);
        auto receiver = ZPMPromise::pendingPromise();
        auto guarded = receiver->timeout(interval);
        auto retried = ZPMPromise::attempts(1, interval, nullptr, [&] {
            attempts.add("attempt");
            return objc::Id(error(1));
        });
        settle();
        advanceSeconds(1e8);  // about three years
        EXPECT_TRUE(delayed->isPending());
        EXPECT_TRUE(guarded->isPending());
        EXPECT_TRUE(retried->isPending());
        EXPECT_EQ(attempts.count(), 1u);
        // The work still scheduled holds these two: settled, they no longer count as pending.
        delayed->fulfill(nullptr);
        retried->fulfill(nullptr);
    }
}

TEST_F(PromiseTiming, TimeoutPassesAnOutcomeThatComesInTime) {
    auto receiver = ZPMPromise::pendingPromise();
    auto guarded = receiver->onQueueTimeout(testQueue(), 3);
    advanceSeconds(2.9);
    receiver->fulfill(number(4));
    settle();
    EXPECT_EQ(integerOf(guarded->value()), 4);
    advanceSeconds(1);
    EXPECT_EQ(integerOf(guarded->value()), 4) << "the late timer changes nothing";

    auto failure = error(5);
    auto rejected = ZPMPromise::resolvedWith(failure)->timeout(1);
    settle();
    EXPECT_EQ(rejected->error(), failure);
}

TEST_F(PromiseTiming, TimeoutRejectsAPromiseThatStaysPending) {
    auto receiver = ZPMPromise::pendingPromise();
    auto guarded = receiver->timeout(3);
    advanceSeconds(2.999);
    EXPECT_TRUE(guarded->isPending());
    advanceSeconds(0.001);
    ASSERT_TRUE(guarded->isRejected());
    EXPECT_EQ(guarded->error()->domain(), "com.zadizu.ZPMPromises.Error");
    EXPECT_EQ(guarded->error()->code(), 1);
    EXPECT_EQ(guarded->error()->userInfo()->count(), 0u);
    receiver->fulfill(number(1));
    settle();
    EXPECT_TRUE(guarded->isRejected());
}

TEST_F(PromiseTiming, TimeoutDoesNotKeepItsResultAlive) {
    std::weak_ptr<ZPMPromise> watched;
    {
        // The receiver dies unresolved, and with it the only strong hold on the result.
        auto guarded = ZPMPromise::pendingPromise()->timeout(1);
        watched = guarded;
    }
    EXPECT_TRUE(watched.expired());
    advanceSeconds(1);
    EXPECT_TRUE(ZPMPromise::dispatchGroup()->wait(std::chrono::nanoseconds(0)));
}

TEST_F(PromiseTiming, BlockFormsUseTheirIntervals) {
    auto receiver = ZPMPromise::resolvedWith(number(1));
    auto delayed = receiver->delay()(1);
    auto delayedOn = receiver->delayOn()(testQueue(), 2);
    auto never = ZPMPromise::pendingPromise();
    auto timedOut = never->timeout()(1);
    auto timedOutOn = never->timeoutOn()(testQueue(), 2);
    settle();
    advanceSeconds(1);
    EXPECT_TRUE(delayed->isFulfilled());
    EXPECT_TRUE(delayedOn->isPending());
    EXPECT_TRUE(timedOut->isRejected());
    EXPECT_TRUE(timedOutOn->isPending());
    advanceSeconds(1);
    EXPECT_TRUE(delayedOn->isFulfilled());
    EXPECT_TRUE(timedOutOn->isRejected());
}

}  // namespace
