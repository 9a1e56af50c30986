#include "platform/foundation/AsyncStream.hpp"
#include "platform/foundation/RunLoop.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace foundation;

namespace {

using Stream = AsyncStream<int>;

class AsyncStreamTest : public ManualClockFixture {
protected:
    // A stream whose continuation and termination reason the test keeps.
    Stream makeStream() {
        return Stream([this](Stream::Continuation continuation) {
            this->continuation = continuation;
            continuation.setOnTermination([this](Stream::Termination reason) {
                terminations.push_back(reason);
            });
        });
    }
    void drain() { ASSERT_TRUE(RunLoop::main()->runUntilIdle()); }

    std::optional<Stream::Continuation> continuation;
    std::vector<Stream::Termination> terminations;
};

TEST_F(AsyncStreamTest, ElementsYieldedBeforeAndAfterTheConsumerArriveInOrderOnTheMainQueue) {
    auto stream = makeStream();
    continuation->yield(1);
    std::vector<int> received;
    auto consumer = stream.forEach([&](const int& element) { received.push_back(element); });
    continuation->yield(2);
    EXPECT_TRUE(received.empty());
    drain();
    continuation->yield(3);
    drain();
    EXPECT_EQ(received, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(terminations.empty());
}

TEST_F(AsyncStreamTest, FinishDeliversTheRestThenTheEndAndTerminatesOnce) {
    auto stream = makeStream();
    std::vector<int> received;
    int ends = 0;
    auto consumer = stream.forEach([&](const int& element) { received.push_back(element); }, [&] { ++ends; });
    continuation->yield(1);
    continuation->yield(2);
    continuation->finish();
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::finished});
    continuation->yield(3);  // after the end: dropped
    drain();
    EXPECT_EQ(received, (std::vector<int>{1, 2}));
    EXPECT_EQ(ends, 1);
    consumer.cancel();
    EXPECT_EQ(terminations.size(), 1u);
}

TEST_F(AsyncStreamTest, CancellingTheConsumerDropsTheBufferAndCallsNothingMore) {
    auto stream = makeStream();
    std::vector<int> received;
    int ends = 0;
    auto consumer = stream.forEach([&](const int& element) { received.push_back(element); }, [&] { ++ends; });
    continuation->yield(1);
    consumer.cancel();
    continuation->yield(2);
    drain();
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::cancelled});
}

TEST_F(AsyncStreamTest, StreamDroppedUnreadOrConsumerDestroyedTerminatesIt) {
    { auto stream = makeStream(); }
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::cancelled});
    terminations.clear();
    {
        auto consumer = makeStream().forEach([](const int&) {});
        EXPECT_TRUE(terminations.empty());  // the consumer keeps the stream going
    }
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::cancelled});
}

TEST_F(AsyncStreamTest, AssigningAnotherConsumerEndsTheOneItReplaces) {
    auto first = makeStream();
    auto firstContinuation = *continuation;
    std::vector<int> received;
    auto consumer = first.forEach([&](const int& element) { received.push_back(element); });
    auto second = Stream([](Stream::Continuation) {});
    consumer = second.forEach([](const int&) {});
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::cancelled});
    firstContinuation.yield(1);
    drain();
    EXPECT_TRUE(received.empty());
}

TEST_F(AsyncStreamTest, FilteredStreamPassesMatchingElementsAndCancelsItsBase) {
    auto filtered = makeStream().filter([](const int& element) { return element % 2 == 0; });
    std::vector<int> received;
    auto consumer = filtered.forEach([&](const int& element) { received.push_back(element); });
    for (int element = 1; element <= 6; ++element) continuation->yield(element);
    drain();
    EXPECT_EQ(received, (std::vector<int>{2, 4, 6}));
    consumer.cancel();
    EXPECT_EQ(terminations, std::vector<Stream::Termination>{Stream::Termination::cancelled});
}

TEST_F(AsyncStreamTest, HandlerSetAfterTheEndRunsAtOnce) {
    auto stream = makeStream();
    continuation->finish();
    std::optional<Stream::Termination> late;
    continuation->setOnTermination([&](Stream::Termination reason) { late = reason; });
    EXPECT_EQ(late, Stream::Termination::finished);
}

}  // namespace
