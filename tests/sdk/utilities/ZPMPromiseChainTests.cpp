#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <gmock/gmock.h>

using namespace promisetests;
using testing::ElementsAre;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;

class PromiseChain : public PromiseTest {};

TEST_F(PromiseChain, FulfilBlockResultDecidesTheChainedPromise) {
    struct Row {
        const char* what;
        std::function<objc::Id()> result;
        objc::Id expectedValue;
        ErrorPtr expectedError;
    };
    auto two = number(2);
    auto failure = error(11);
    const Row rows[] = {
        {"plain value fulfils", [&] { return objc::Id(two); }, two, nullptr},
        {"nil fulfils with nil", [] { return objc::Id(); }, nullptr, nullptr},
        {"error object rejects", [&] { return objc::Id(failure); }, nullptr, failure},
        {"resolved promise is followed", [&] { return objc::Id(ZPMPromise::resolvedWith(two)); }, two, nullptr},
        {"rejected promise is followed", [&] { return objc::Id(ZPMPromise::resolvedWith(failure)); }, nullptr, failure},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CallLog log;
        auto chained = ZPMPromise::resolvedWith(number(1))->chainOnQueue(
            testQueue(),
            [&](objc::Id value) {
                log.addOnQueue("fulfil " + value->description());
                return row.result();
            },
            [&](ErrorPtr) {
                log.add("reject");
                return objc::Id();
            });
        settle();
        EXPECT_THAT(log.entries(), ElementsAre(std::string("fulfil 1@") + testQueueLabel));
        EXPECT_EQ(chained->isFulfilled(), row.expectedError == nullptr);
        EXPECT_EQ(chained->value(), row.expectedValue);
        EXPECT_EQ(chained->error(), row.expectedError);
    }
}

TEST_F(PromiseChain, RejectBlockCanRecoverReRejectOrDefer) {
    auto original = error(1);
    auto replacement = error(2);

    auto recovered = ZPMPromise::resolvedWith(original)->chainOnQueue(
        testQueue(), nullptr, [](ErrorPtr failure) { return objc::Id(number(failure->code() * 10)); });
    auto reRejected = ZPMPromise::resolvedWith(original)->chainOnQueue(testQueue(), nullptr,
                                                                       [&](ErrorPtr) { return objc::Id(replacement); });
    auto later = ZPMPromise::pendingPromise();
    auto deferred = ZPMPromise::resolvedWith(original)->chainOnQueue(testQueue(), nullptr,
                                                                     [&](ErrorPtr) { return objc::Id(later); });
    settle();

    EXPECT_EQ(integerOf(recovered->value()), 10);
    EXPECT_EQ(reRejected->error(), replacement);
    EXPECT_TRUE(deferred->isPending()) << "waits for the promise the block returned";

    later->fulfill(number(5));
    settle();
    EXPECT_EQ(integerOf(deferred->value()), 5);
}

TEST_F(PromiseChain, DeferredRejectionIsTakenOver) {
    auto later = ZPMPromise::pendingPromise();
    auto chained = ZPMPromise::resolvedWith(nullptr)->then([&](objc::Id) { return objc::Id(later); });
    settle();
    EXPECT_TRUE(chained->isPending());
    auto failure = error(3);
    later->reject(failure);
    settle();
    EXPECT_EQ(chained->error(), failure);
}

TEST_F(PromiseChain, WithoutBlocksTheOutcomePassesThrough) {
    auto failure = error(9);
    auto fulfilled = ZPMPromise::resolvedWith(number(4))->chainOnQueue(testQueue(), nullptr, nullptr);
    auto rejected = ZPMPromise::resolvedWith(failure)->chainOnQueue(testQueue(), nullptr, nullptr);
    settle();
    EXPECT_EQ(integerOf(fulfilled->value()), 4);
    EXPECT_EQ(rejected->error(), failure);
}

TEST_F(PromiseChain, OnlyOneLevelOfPromiseIsFollowed) {
    auto innermost = ZPMPromise::resolvedWith(number(1));
    auto inner = ZPMPromise::resolvedWith(innermost);
    auto chained = ZPMPromise::resolvedWith(nullptr)->then([&](objc::Id) { return objc::Id(inner); });
    settle();
    EXPECT_EQ(chained->value(), innermost) << "the promise held as a value is passed on as it is";
}

TEST_F(PromiseChain, ChainedPromiseResolvesOnlyAfterTheReceiver) {
    auto receiver = ZPMPromise::pendingPromise();
    auto chained = receiver->then([](objc::Id value) { return value; });
    settle();
    EXPECT_TRUE(chained->isPending());
    receiver->fulfill(number(6));
    EXPECT_TRUE(chained->isPending()) << "the chained block runs on the queue, not inside fulfill";
    settle();
    EXPECT_EQ(integerOf(chained->value()), 6);
}

}  // namespace
