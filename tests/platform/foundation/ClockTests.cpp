#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/QueueBase.hpp"
#include "platform/foundation/RunLoop.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

using namespace std::chrono_literals;
using foundation::Clock;
using foundation::RunLoop;

namespace {

class ManualClockTest : public ManualClockFixture {
protected:
    static Clock::Duration sinceStart() { return Clock::now().time_since_epoch(); }
};

TEST_F(ManualClockTest, StandsStillUntilAdvancedAndMovesWallTimeAlong) {
    auto before = Clock::now();
    EXPECT_EQ(Clock::now(), before);
    EXPECT_DOUBLE_EQ(Clock::wallSecondsSince1970(), 1'000'000.0);
    Clock::advance(1500ms);
    EXPECT_EQ(Clock::now() - before, 1500ms);
    EXPECT_DOUBLE_EQ(Clock::wallSecondsSince1970(), 1'000'001.5);
    Clock::advance(-5s);
    EXPECT_EQ(Clock::now() - before, 1500ms) << "the clock never runs backwards";
}

TEST_F(ManualClockTest, AdvanceStepsToEachDeadlineInTurnAndStopsAtTheTarget) {
    std::vector<Clock::Duration> pending{1s, 3s, 7s};
    std::vector<Clock::Duration> firedAt;
    auto token = Clock::addAdvanceListener({
        [&]() -> std::optional<Clock::TimePoint> {
            if (pending.empty()) return std::nullopt;
            return Clock::TimePoint(pending.front());
        },
        [&] {
            firedAt.push_back(sinceStart());
            while (!pending.empty() && Clock::TimePoint(pending.front()) <= Clock::now()) pending.erase(pending.begin());
        },
    });
    Clock::advance(5s);
    EXPECT_EQ(firedAt, (std::vector<Clock::Duration>{1s, 3s, 5s}));
    EXPECT_EQ(sinceStart(), 5s);
    token.reset();
    Clock::advance(5s);
    EXPECT_EQ(firedAt.size(), 3u);
}

TEST_F(ManualClockTest, ListenerThatKeepsReportingADeliveredDeadlineDoesNotHoldTheClock) {
    int fired = 0;
    auto stuck = Clock::addAdvanceListener({[] { return std::optional(Clock::TimePoint(1s)); }, [&] { ++fired; }});
    Clock::advance(3s);
    EXPECT_EQ(sinceStart(), 3s);
    EXPECT_LE(fired, 3);
    Clock::advance(1s);
    EXPECT_EQ(sinceStart(), 4s);
}

TEST_F(ManualClockTest, AfterWorkWaitsForTheClockAndRunsInDeadlineOrder) {
    std::vector<std::string> ran;
    dispatch::mainQueue()->after(3s, [&] { ran.push_back("3s"); });
    dispatch::mainQueue()->after(1s, [&] { ran.push_back("1s"); });
    dispatch::mainQueue()->after(2s, [&] { ran.push_back("2s"); });
    dispatch::mainQueue()->after(1s, [&] { ran.push_back("1s again"); });
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_TRUE(ran.empty());
    Clock::advance(999ms);
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_TRUE(ran.empty());
    Clock::advance(1001ms);
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(ran, (std::vector<std::string>{"1s", "1s again", "2s"}));
    Clock::advance(1h);
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(ran.back(), "3s");
}

// Records when work reaches it, which is what after() controls; runs it in place.
class RecordingQueue final : public dispatch::QueueBase {
public:
    RecordingQueue(std::string label, std::vector<std::string>& log) : QueueBase(std::move(label), nullptr), log_(log) {}
    void async(dispatch::Work work) override {
        log_.push_back(label() + " at " + std::to_string(Clock::now().time_since_epoch() / 1ms) + "ms");
        work();
    }
    void sync(dispatch::Work work) override { work(); }
    bool isSerial() const override { return false; }

private:
    std::vector<std::string>& log_;
};

TEST_F(ManualClockTest, AfterWorkOnDifferentQueuesIsSubmittedInDeadlineOrderEachAtItsTime) {
    std::vector<std::string> log;
    auto first = std::make_shared<RecordingQueue>("first", log);
    auto second = std::make_shared<RecordingQueue>("second", log);
    second->after(4s, [] {});
    first->after(3s, [] {});
    second->after(2500ms, [] {});
    first->after(1s, [] {});
    first->after(20s, [] {});
    Clock::advance(10s);
    EXPECT_EQ(log, (std::vector<std::string>{"first at 1000ms", "second at 2500ms", "first at 3000ms",
                                             "second at 4000ms"}));
    Clock::advance(10s);
    EXPECT_EQ(log.back(), "first at 20000ms");
}

TEST_F(ManualClockTest, AfterWithoutDelayIsSubmittedAtOnce) {
    bool ran = false;
    dispatch::mainQueue()->after(0s, [&] { ran = true; });
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_TRUE(ran);
}

TEST_F(ManualClockTest, WorkItemCancelledBeforeItsDeadlineNeverRuns) {
    int ran = 0;
    auto cancelled = dispatch::WorkItem::create([&] { ++ran; });
    auto kept = dispatch::WorkItem::create([&] { ran += 10; });
    cancelled->after(dispatch::mainQueue(), 1s);
    kept->after(dispatch::mainQueue(), 1s);
    cancelled->cancel();
    Clock::advance(2s);
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(ran, 10);
}

TEST(RealClock, AfterWorkRunsOnItsQueueOnceTheDelayHasPassed) {
    auto group = dispatch::Group::create();
    auto queue = dispatch::createQueue("test.real-after");
    auto submitted = Clock::now();
    Clock::TimePoint ranAt;
    std::string label;
    group->enter();
    queue->after(20ms, [&] {
        ranAt = Clock::now();
        label = dispatch::currentQueueLabel();
        group->leave();
    });
    ASSERT_TRUE(group->wait(30s));
    EXPECT_GE(ranAt - submitted, 20ms);
    EXPECT_EQ(label, "test.real-after");
}

}  // namespace
