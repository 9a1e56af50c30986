#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>

using namespace std::chrono_literals;
using foundation::Clock;
using foundation::RunLoop;

namespace {

class DispatchGroupTest : public ManualClockFixture {
protected:
    dispatch::GroupPtr group = dispatch::Group::create();
};

TEST_F(DispatchGroupTest, NotifyRunsOnceAfterTheLastLeave) {
    int notified = 0;
    group->enter();
    group->enter();
    group->notify(dispatch::mainQueue(), [&] { ++notified; });
    group->leave();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(notified, 0);
    group->leave();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(notified, 1);
    group->enter();
    group->leave();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(notified, 1);
}

TEST_F(DispatchGroupTest, NotifyOnAnEmptyGroupIsSubmittedAtOnce) {
    std::string label;
    group->notify(dispatch::mainQueue(), [&] { label = dispatch::currentQueueLabel(); });
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(label, "com.apple.main-thread");
}

TEST_F(DispatchGroupTest, NotifyFollowsWorkOnEveryQueueOfTheGroup) {
    std::atomic<int> finished{0};
    int finishedWhenNotified = -1;
    auto serial = dispatch::createQueue("test.group-serial");
    for (int index = 0; index < 20; ++index) {
        group->async(dispatch::globalQueue(), [&] { finished.fetch_add(1); });
        group->async(serial, [&] { finished.fetch_add(1); });
        group->async(dispatch::mainQueue(), [&] { finished.fetch_add(1); });
    }
    group->notify(dispatch::mainQueue(), [&] { finishedWhenNotified = finished.load(); });
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(finishedWhenNotified, 60);
}

TEST_F(DispatchGroupTest, TimedWaitOnTheManualClockGivesUpWithoutRealWaiting) {
    group->enter();
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(group->wait(1s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    group->leave();
    EXPECT_TRUE(group->wait(0s));
}

TEST_F(DispatchGroupTest, TimedWaitSucceedsWhenWorkOnThePoolEmptiesTheGroup) {
    std::atomic<int> done{0};
    for (int index = 0; index < 8; ++index)
        group->async(dispatch::createQueue("test.worker"), [&] { done.fetch_add(1); });
    EXPECT_TRUE(group->wait(1s));
    EXPECT_EQ(done.load(), 8);
}

TEST_F(DispatchGroupTest, TimedWaitEndsWhenAnotherThreadAdvancesTheClockPastItsTimeout) {
    // Busy work on the pool keeps the wait from giving up on its own; only the clock ends it.
    foundation::Guarded<bool> release{false};
    std::condition_variable released;
    dispatch::globalQueue()->async([&] { release.lock().wait(released, [](bool releasedNow) { return releasedNow; }); });
    group->enter();
    std::atomic<bool> finished{false};
    bool result = true;
    auto started = std::chrono::steady_clock::now();
    std::thread waiter([&] {
        result = group->wait(2s);
        finished = true;
    });
    while (!finished) {
        Clock::advance(500ms);
        std::this_thread::yield();
    }
    waiter.join();
    EXPECT_FALSE(result);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    *release.lock() = true;
    released.notify_all();
    group->leave();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
}

TEST_F(DispatchGroupTest, LeaveWithoutEnterIsReportedAndKeepsTheGroupBalanced) {
    EXPECT_THROW(group->leave(), foundation::Exception);
    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    group->leave();
    int notified = 0;
    group->enter();
    group->notify(dispatch::mainQueue(), [&] { ++notified; });
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(notified, 0) << "an unbalanced leave must not count against a later enter";
    group->leave();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(notified, 1);
}

}  // namespace
