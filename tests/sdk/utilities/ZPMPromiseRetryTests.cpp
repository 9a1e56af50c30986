#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <gmock/gmock.h>

#include <thread>

using namespace promisetests;
using testing::ElementsAre;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;

class PromiseRetry : public PromiseTest {
protected:
    // Work that fails with error codes 1, 2, 3… and logs each attempt with its queue.
    ZPMPromise::RetryWorkBlock failingWork() {
        return [this] {
            log.addOnQueue("attempt");
            return objc::Id(error(static_cast<std::int64_t>(log.count())));
        };
    }
    CallLog log;
};

TEST_F(PromiseRetry, FirstAttemptRunsInsideTheCallLaterOnesOnTheQueue) {
    auto caller = std::this_thread::get_id();
    std::thread::id firstAttemptThread;
    auto result = ZPMPromise::onQueueRetry(testQueue(), [&] {
        if (log.count() == 0) firstAttemptThread = std::this_thread::get_id();
        return failingWork()();
    });
    EXPECT_THAT(log.entries(), ElementsAre(std::string("attempt@") + mainQueueLabel));
    EXPECT_EQ(firstAttemptThread, caller);

    advanceSeconds(0.999);
    EXPECT_EQ(log.count(), 1u) << "the default delay is one second";
    advanceSeconds(0.001);
    EXPECT_THAT(log.entries(),
                ElementsAre(std::string("attempt@") + mainQueueLabel, std::string("attempt@") + testQueueLabel));
    ASSERT_TRUE(result->isRejected());
    EXPECT_EQ(result->error()->code(), 2) << "rejects with the last attempt's error";

    advanceSeconds(10);
    EXPECT_EQ(log.count(), 2u) << "retry runs work at most twice";
}

TEST_F(PromiseRetry, AttemptsWithDelayRunHalfASecondApart) {
    auto result = ZPMPromise::onQueueAttempts(testQueue(), 2, 0.5, nullptr, failingWork());
    EXPECT_EQ(log.count(), 1u);
    for (std::size_t expected : {2u, 3u}) {
        advanceSeconds(0.25);
        EXPECT_EQ(log.count(), expected - 1);
        advanceSeconds(0.25);
        EXPECT_EQ(log.count(), expected);
    }
    advanceSeconds(5);
    EXPECT_EQ(log.count(), 3u) << "count 2 means at most three runs";
    EXPECT_EQ(result->error()->code(), 3);
}

TEST_F(PromiseRetry, ConditionSeesTheRemainingCountBeforeItIsLowered) {
    std::vector<std::pair<std::int64_t, std::int64_t>> asked;
    auto result = ZPMPromise::attempts(
        3, 0.1,
        [&](std::int64_t remaining, ErrorPtr failure) {
            asked.emplace_back(remaining, failure->code());
            return remaining > 2;
        },
        failingWork());
    advanceSeconds(1);
    EXPECT_EQ(asked, (std::vector<std::pair<std::int64_t, std::int64_t>>{{3, 1}, {2, 2}}));
    EXPECT_EQ(log.count(), 2u);
    EXPECT_EQ(result->error()->code(), 2);
}

TEST_F(PromiseRetry, FalseConditionRejectsWithTheFirstError) {
    auto result = ZPMPromise::attempts(
        5, 0, [](std::int64_t, ErrorPtr) { return false; }, failingWork());
    EXPECT_EQ(log.count(), 1u);
    ASSERT_TRUE(result->isRejected()) << "nothing is scheduled";
    EXPECT_EQ(result->error()->code(), 1);
}

TEST_F(PromiseRetry, SucceedingAttemptStopsTheRetries) {
    auto result = ZPMPromise::attempts(5, [this]() -> objc::Id {
        log.add("attempt");
        if (log.count() < 3) return error(static_cast<std::int64_t>(log.count()));
        // A promise result is observed on the queue before it counts.
        return ZPMPromise::resolvedWith(number(42));
    });
    advanceSeconds(1);
    advanceSeconds(1);
    EXPECT_EQ(log.count(), 3u);
    EXPECT_EQ(integerOf(result->value()), 42);
    advanceSeconds(10);
    EXPECT_EQ(log.count(), 3u);
}

TEST_F(PromiseRetry, RejectedPromiseFromTheWorkIsRetried) {
    auto result = ZPMPromise::retry([this] {
        log.add("attempt");
        return objc::Id(ZPMPromise::resolvedWith(error(static_cast<std::int64_t>(log.count()))));
    });
    settle();
    EXPECT_TRUE(result->isPending());
    advanceSeconds(1);
    EXPECT_EQ(log.count(), 2u);
    EXPECT_EQ(result->error()->code(), 2);
}

TEST_F(PromiseRetry, ZeroOrNegativeCountsRunOnce) {
    for (std::int64_t count : {0, -3}) {
        CallLog attempts;
        auto result = ZPMPromise::attempts(count, [&] {
            attempts.add("attempt");
            return objc::Id(error(count));
        });
        advanceSeconds(5);
        EXPECT_EQ(attempts.count(), 1u);
        EXPECT_EQ(result->error()->code(), count);
    }
}

TEST_F(PromiseRetry, BlockFormsPassTheirArgumentsOn) {
    using Work = ZPMPromise::RetryWorkBlock;
    struct Row {
        const char* form;
        std::function<ZPMPromise::Ptr(Work)> call;
        std::size_t runsAfterAQuarterSecond;
        std::size_t runsAfterHalfASecond;
        std::size_t runsInAll;
        std::string laterQueue;
    };
    const auto refuse = [](std::int64_t, ErrorPtr) { return false; };
    const Row rows[] = {
        {"retry", [](Work work) { return ZPMPromise::retry()(work); }, 1, 1, 2, mainQueueLabel},
        {"retryOn", [this](Work work) { return ZPMPromise::retryOn()(testQueue(), work); }, 1, 1, 2, testQueueLabel},
        {"retryAgain", [](Work work) { return ZPMPromise::retryAgain()(2, 0.5, nullptr, work); }, 1, 2, 3,
         mainQueueLabel},
        {"retryAgainOn", [this](Work work) { return ZPMPromise::retryAgainOn()(testQueue(), 2, 0.5, nullptr, work); },
         1, 2, 3, testQueueLabel},
        {"retryAgain with a refusing condition",
         [&](Work work) { return ZPMPromise::retryAgain()(2, 0.5, refuse, work); }, 1, 1, 1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        CallLog attempts;
        auto result = row.call([&attempts] {
            attempts.addOnQueue("attempt");
            return objc::Id(error(static_cast<std::int64_t>(attempts.count())));
        });
        advanceSeconds(0.25);
        EXPECT_EQ(attempts.count(), row.runsAfterAQuarterSecond);
        advanceSeconds(0.25);
        EXPECT_EQ(attempts.count(), row.runsAfterHalfASecond);
        advanceSeconds(5);
        auto entries = attempts.entries();
        ASSERT_EQ(entries.size(), row.runsInAll);
        if (!row.laterQueue.empty()) {
            EXPECT_EQ(entries.back(), "attempt@" + row.laterQueue);
        }
        EXPECT_EQ(result->error()->code(), static_cast<std::int64_t>(row.runsInAll));
    }
}

}  // namespace
