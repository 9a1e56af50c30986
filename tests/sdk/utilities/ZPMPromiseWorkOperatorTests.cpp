#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <gmock/gmock.h>

using namespace promisetests;
using testing::ElementsAre;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;

class PromiseWorkOperators : public PromiseTest {};

TEST_F(PromiseWorkOperators, DoRunsTheWorkOnTheQueueNotInTheCall) {
    CallLog log;
    auto onMain = ZPMPromise::do_([&] {
        log.addOnQueue("work");
        return objc::Id(number(1));
    });
    EXPECT_EQ(log.count(), 0u);
    EXPECT_TRUE(onMain->isPending());
    settle();
    auto onQueue = ZPMPromise::onQueueDo(testQueue(), [&] {
        log.addOnQueue("work");
        return objc::Id(number(2));
    });
    settle();
    EXPECT_THAT(log.entries(),
                ElementsAre(std::string("work@") + mainQueueLabel, std::string("work@") + testQueueLabel));
    EXPECT_EQ(integerOf(onMain->value()), 1);
    EXPECT_EQ(integerOf(onQueue->value()), 2);
}

TEST_F(PromiseWorkOperators, DoSettlesFromWhatTheWorkReturns) {
    auto failure = error(2);
    auto later = ZPMPromise::pendingPromise();
    auto rejected = ZPMPromise::do_([&] { return objc::Id(failure); });
    auto following = ZPMPromise::doOn()(testQueue(), [&] { return objc::Id(later); });
    auto withNil = ZPMPromise::do_([] { return objc::Id(); });
    settle();
    EXPECT_EQ(rejected->error(), failure);
    EXPECT_TRUE(following->isPending());
    EXPECT_TRUE(withNil->isFulfilled());
    later->reject(failure);
    settle();
    EXPECT_EQ(following->error(), failure);
}

TEST_F(PromiseWorkOperators, AsyncSettlesThroughItsBlocks) {
    auto failure = error(3);
    auto later = ZPMPromise::pendingPromise();
    CallLog log;
    auto fulfilled = ZPMPromise::onQueueAsync(testQueue(), [&](auto fulfill, auto) {
        log.addOnQueue("work");
        fulfill(number(1));
    });
    auto rejected = ZPMPromise::async([&](auto, auto reject) { reject(failure); });
    auto errorAsValue = ZPMPromise::async([&](auto fulfill, auto) { fulfill(failure); });
    auto following = ZPMPromise::async([&](auto fulfill, auto) { fulfill(later); });
    auto firstWins = ZPMPromise::async([&](auto fulfill, auto reject) {
        fulfill(number(4));
        reject(failure);
        fulfill(number(5));
    });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("work@") + testQueueLabel));
    EXPECT_EQ(integerOf(fulfilled->value()), 1);
    EXPECT_EQ(rejected->error(), failure);
    EXPECT_EQ(errorAsValue->error(), failure);
    EXPECT_TRUE(following->isPending());
    EXPECT_EQ(integerOf(firstWins->value()), 4);
    later->fulfill(number(6));
    settle();
    EXPECT_EQ(integerOf(following->value()), 6);
}

TEST_F(PromiseWorkOperators, AsyncWorkMaySettleLaterFromAnotherQueue) {
    ZPMPromise::FulfillBlock keptFulfill;
    auto result = ZPMPromise::async([&](auto fulfill, auto) { keptFulfill = fulfill; });
    settle();
    ASSERT_TRUE(keptFulfill);
    EXPECT_TRUE(result->isPending());
    testQueue()->async([keptFulfill] { keptFulfill(number(7)); });
    settle();
    EXPECT_EQ(integerOf(result->value()), 7);
}

}  // namespace
