#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/ThreadPool.hpp"
#include "platform/foundation/UncaughtException.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace foundation;
using namespace std::chrono_literals;

namespace {

class RunLoopTest : public ManualClockFixture {
protected:
    std::shared_ptr<RunLoop> loop = RunLoop::main();
};

TEST_F(RunLoopTest, TimersFireOnlyInTheModesTheyWereAddedFor) {
    std::vector<std::string> fired;
    auto defaultTimer = loop->addTimer(1s, std::nullopt, [&] { fired.push_back("default"); }, NSDefaultRunLoopMode);
    auto commonTimer = loop->addTimer(1s, std::nullopt, [&] { fired.push_back("common"); }, NSRunLoopCommonModes);
    auto modalTimer = loop->addTimer(1s, std::nullopt, [&] { fired.push_back("modal"); }, NSModalPanelRunLoopMode);
    Clock::advance(1s);

    loop->run(NSEventTrackingRunLoopMode, Clock::now());
    EXPECT_EQ(fired, (std::vector<std::string>{"common"}));

    loop->run(NSDefaultRunLoopMode, Clock::now());
    EXPECT_EQ(fired, (std::vector<std::string>{"common", "default"}));
    EXPECT_TRUE(modalTimer->isValid());
    EXPECT_FALSE(defaultTimer->isValid());
}

TEST_F(RunLoopTest, TimersWaitForTheirDateAndFireInDateOrder) {
    std::vector<int> fired;
    auto late = loop->addTimer(3s, std::nullopt, [&] { fired.push_back(3); }, NSDefaultRunLoopMode);
    auto early = loop->addTimer(1s, std::nullopt, [&] { fired.push_back(1); }, NSDefaultRunLoopMode);
    auto middle = loop->addTimer(2s, std::nullopt, [&] { fired.push_back(2); }, NSDefaultRunLoopMode);

    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_TRUE(fired.empty());
    Clock::advance(2s);
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
    Clock::advance(5s);
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(fired, (std::vector<int>{1, 2, 3}));
}

TEST_F(RunLoopTest, RepeatingTimerKeepsItsCadenceAndFiresOnceForMissedDates) {
    int count = 0;
    auto timer = loop->addTimer(1s, 1s, [&] { ++count; }, NSDefaultRunLoopMode);
    const struct {
        Clock::Duration advance;
        int expected;
    } steps[] = {{500ms, 0}, {500ms, 1}, {1s, 2}, {3500ms, 3}, {400ms, 3}, {100ms, 4}};
    for (const auto& step : steps) {
        Clock::advance(step.advance);
        ASSERT_TRUE(loop->runUntilIdle());
        EXPECT_EQ(count, step.expected) << "at " << Clock::now().time_since_epoch().count();
    }
    timer.reset();
    Clock::advance(5s);
    loop->runUntilIdle();
    EXPECT_EQ(count, 4);
}

TEST_F(RunLoopTest, TimerThatInvalidatesItselfFromItsCallbackFiresOnce) {
    int count = 0;
    std::unique_ptr<RunLoopToken> timer;
    timer = loop->addTimer(1s, 1s, [&] {
        ++count;
        timer.reset();
    }, NSDefaultRunLoopMode);
    for (int step = 0; step < 3; ++step) {
        Clock::advance(1s);
        loop->runUntilIdle();
    }
    EXPECT_EQ(count, 1);
}

TEST_F(RunLoopTest, ObserversSeeActivitiesInPassOrder) {
    loop->runUntilIdle();  // a pass that handles a source skips the wait and its activities
    std::vector<std::string> seen;
    auto observer = loop->addObserver(kCFRunLoopAllActivities, true, [&](RunLoopActivity activity) {
        switch (activity) {
            case kCFRunLoopEntry: seen.push_back("entry"); break;
            case kCFRunLoopBeforeTimers: seen.push_back("timers"); break;
            case kCFRunLoopBeforeSources: seen.push_back("sources"); break;
            case kCFRunLoopBeforeWaiting: seen.push_back("waiting"); break;
            case kCFRunLoopAfterWaiting: seen.push_back("woke"); break;
            case kCFRunLoopExit: seen.push_back("exit"); break;
            default: seen.push_back("?");
        }
    }, NSDefaultRunLoopMode);
    auto timer = loop->addTimer(0s, std::nullopt, [&] { seen.push_back("fire"); }, NSDefaultRunLoopMode);
    loop->run(NSDefaultRunLoopMode, Clock::now());
    EXPECT_EQ(seen, (std::vector<std::string>{"entry", "timers", "sources", "waiting", "woke", "fire", "exit"}));
}

TEST_F(RunLoopTest, ObserverWatchesOnlyItsActivitiesAndOneShotObserverIsCalledOnce) {
    std::vector<RunLoopActivity> repeating, oneShot;
    auto watchSources = loop->addObserver(kCFRunLoopBeforeSources | kCFRunLoopExit, true,
                                          [&](RunLoopActivity activity) { repeating.push_back(activity); },
                                          NSRunLoopCommonModes);
    auto once = loop->addObserver(kCFRunLoopBeforeSources, false,
                                  [&](RunLoopActivity activity) { oneShot.push_back(activity); }, NSDefaultRunLoopMode);
    loop->run(NSDefaultRunLoopMode, Clock::now());
    loop->run(NSEventTrackingRunLoopMode, Clock::now());
    EXPECT_EQ(repeating, (std::vector<RunLoopActivity>{kCFRunLoopBeforeSources, kCFRunLoopExit,
                                                       kCFRunLoopBeforeSources, kCFRunLoopExit}));
    EXPECT_EQ(oneShot, (std::vector<RunLoopActivity>{kCFRunLoopBeforeSources}));
    EXPECT_FALSE(once->isValid());
}

TEST_F(RunLoopTest, NestedRunInAnotherModeReturnsToTheOuterRunAndMode) {
    std::vector<std::string> log;
    std::unique_ptr<RunLoopToken> trackingTimer, outerTimer;
    trackingTimer = loop->addTimer(2s, std::nullopt, [&] {
        log.push_back("tracking timer in " + loop->currentMode());
        loop->stop();
    }, NSEventTrackingRunLoopMode);
    auto defaultOnly = loop->addTimer(1s, std::nullopt, [&] { log.push_back("default timer"); }, NSDefaultRunLoopMode);
    dispatch::mainQueue()->async([&] {
        log.push_back("outer in " + loop->currentMode());
        Clock::advance(3s);
        loop->run(NSEventTrackingRunLoopMode);
        log.push_back("back in " + loop->currentMode());
    });
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"outer in kCFRunLoopDefaultMode",
                                             "tracking timer in NSEventTrackingRunLoopMode",
                                             "back in kCFRunLoopDefaultMode", "default timer"}));
    EXPECT_EQ(loop->currentMode(), "");
}

TEST_F(RunLoopTest, NestedRunServesTheMainQueueInOrderAndStopEndsOnlyIt) {
    std::vector<std::string> log;
    dispatch::mainQueue()->async([&] {
        dispatch::mainQueue()->async([&] {
            log.push_back("stop");
            loop->stop();
        });
        loop->run(NSModalPanelRunLoopMode);
        log.push_back("modal ended");
    });
    dispatch::mainQueue()->async([&] { log.push_back("queued before the stop"); });
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"queued before the stop", "stop", "modal ended"}));
}

TEST_F(RunLoopTest, NestedRunTakesMainQueueWorkQueuedBeforeItStarted) {
    // Nothing new is queued once the modal run has begun: the work already waiting behind
    // the item that started it must still be served inside it, or the run would never end.
    std::vector<std::string> log;
    dispatch::mainQueue()->async([&] {
        loop->run(NSModalPanelRunLoopMode);
        log.push_back("modal ended");
    });
    dispatch::mainQueue()->async([&] {
        log.push_back("queued behind the modal run in " + loop->currentMode());
        loop->stop();
    });
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"queued behind the modal run in NSModalPanelRunLoopMode", "modal ended"}));
}

TEST_F(RunLoopTest, ExceptionEscapingQueuedWorkOrACallbackGoesToTheHandlerAndTheQueueGoesOn) {
    Guarded<std::vector<std::string>> reports;
    setUncaughtExceptionHandler([&](const UncaughtException& uncaught) {
        reports.lock()->push_back(uncaught.origin + ": " + uncaught.description);
    });
    auto throwing = [] { throw std::runtime_error("work failed"); };
    struct Case {
        std::string origin;
        // Submits the throwing callback, then the one that must still run after it.
        std::function<void(std::function<void()>, std::function<void()>)> submit;
    };
    std::vector<std::unique_ptr<RunLoopToken>> tokens;
    auto queueCase = [](dispatch::QueuePtr queue) {
        return [queue](std::function<void()> first, std::function<void()> second) {
            queue->async(first);
            queue->async(second);
        };
    };
    const std::vector<Case> cases{
        {"com.apple.main-thread", queueCase(dispatch::mainQueue())},
        {"test.serial", queueCase(dispatch::createQueue("test.serial"))},
        {"test.serial-on-main",
         queueCase(dispatch::createQueue("test.serial-on-main", dispatch::Attributes::serial, dispatch::mainQueue()))},
        {"com.apple.root.default-qos", queueCase(dispatch::globalQueue())},
        {"a run-loop timer",
         [&](std::function<void()> first, std::function<void()> second) {
             tokens.push_back(loop->addTimer(0s, std::nullopt, first, NSDefaultRunLoopMode));
             tokens.push_back(loop->addTimer(1ns, std::nullopt, second, NSDefaultRunLoopMode));
             Clock::advance(1ns);
         }},
        {"a run-loop source",
         [&](std::function<void()> first, std::function<void()> second) {
             auto [source, registration] = loop->addSource(first, NSDefaultRunLoopMode);
             tokens.push_back(std::move(registration));
             source->signal();
             dispatch::mainQueue()->async(second);
         }},
    };
    for (const auto& testCase : cases) {
        reports.lock()->clear();
        std::atomic<int> ranAfter{0};
        testCase.submit(throwing, [&] { ++ranAfter; });
        EXPECT_TRUE(loop->runUntilIdle()) << testCase.origin;
        EXPECT_EQ(reports.copy(), std::vector<std::string>{testCase.origin + ": work failed"});
        EXPECT_EQ(ranAfter.load(), 1) << testCase.origin << ": the item after the throwing one ran";
        testCase.submit([&] { ++ranAfter; }, [&] { ++ranAfter; });
        EXPECT_TRUE(loop->runUntilIdle()) << testCase.origin;
        EXPECT_EQ(ranAfter.load(), 3) << testCase.origin << ": later work still runs";
    }
}

TEST(UncaughtExceptionDeathTest, ByDefaultTheProcessEndsNamingTheQueueAndTheException) {
    EXPECT_DEATH(
        {
            dispatch::createQueue("test.unguarded", dispatch::Attributes::serial, dispatch::mainQueue())->async([] {
                throw Exception(NSInternalInconsistencyException, "state was lost");
            });
            RunLoop::main()->runUntilIdle();
        },
        "uncaught exception from test.unguarded: NSInternalInconsistencyException: state was lost");
}

TEST_F(RunLoopTest, RunWithDeadlineReturnsWithoutRealWaitingOnTheManualClock) {
    int fired = 0;
    auto timer = loop->addTimer(10s, std::nullopt, [&] { ++fired; }, NSDefaultRunLoopMode);
    auto started = std::chrono::steady_clock::now();
    loop->run(NSDefaultRunLoopMode, Clock::now() + 5s);
    loop->run(NSDefaultRunLoopMode);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(fired, 0);
}

TEST_F(RunLoopTest, SourceSignalledFromAWorkerIsPerformedOnTheLoopThread) {
    std::thread::id performedOn;
    int performed = 0;
    auto [source, registration] = loop->addSource([&] {
        performedOn = std::this_thread::get_id();
        ++performed;
        loop->stop();
    }, NSDefaultRunLoopMode);
    dispatch::globalQueue()->async([source = source] { source->signal(); });
    loop->run(NSDefaultRunLoopMode);
    EXPECT_EQ(performed, 1);
    EXPECT_EQ(performedOn, std::this_thread::get_id());
}

TEST_F(RunLoopTest, SourceSignalledTwiceBeforeAPassIsPerformedOnceAndNotAfterRemoval) {
    int performed = 0;
    auto [source, registration] = loop->addSource([&] { ++performed; }, NSRunLoopCommonModes);
    source->signal();
    source->signal();
    loop->runUntilIdle();
    EXPECT_EQ(performed, 1);
    registration.reset();
    source->signal();
    loop->runUntilIdle();
    EXPECT_EQ(performed, 1);
}

TEST_F(RunLoopTest, SignalledSourceKeepsTheLoopFromCountingAsIdle) {
    int performed = 0;
    auto [source, registration] = loop->addSource([&] { ++performed; }, NSDefaultRunLoopMode);
    std::thread([source = source] { source->signal(); }).join();
    EXPECT_FALSE(dispatch::isIdle());
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(performed, 1);
    EXPECT_TRUE(dispatch::isIdle());
}

TEST_F(RunLoopTest, RunUntilIdleReturnsOnlyAfterASourceSignalledByAFinishedWorkerHasRun) {
    // The worker signals the late source and finishes while the loop is between looking at
    // its sources and asking whether it is idle: the late source is checked first in the
    // pass, and the starter waits for the pool to drain before it returns.
    int latePerformed = 0;
    auto [late, lateRegistration] = loop->addSource([&] { ++latePerformed; }, NSDefaultRunLoopMode);
    auto [starter, starterRegistration] = loop->addSource([late = late] {
        dispatch::globalQueue()->async([late] { late->signal(); });
        while (!dispatch::ThreadPool::shared().isIdle()) std::this_thread::yield();
    }, NSDefaultRunLoopMode);
    starter->signal();
    EXPECT_TRUE(loop->runUntilIdle());
    EXPECT_EQ(latePerformed, 1);
}

TEST(RunLoopRealClock, SourceSignalledFromAnotherThreadWakesAWaitingLoop) {
    auto loop = RunLoop::main();
    int performed = 0;
    auto [source, registration] = loop->addSource([&] {
        ++performed;
        loop->stop();
    }, NSDefaultRunLoopMode);
    std::thread signaller([source = source] { source->signal(); });
    loop->run(NSDefaultRunLoopMode, Clock::now() + 60s);  // returns on the signal, not the deadline
    signaller.join();
    EXPECT_EQ(performed, 1);
}

TEST(RunLoopThreads, EachThreadHasItsOwnLoopAndTheMainLoopIsShared) {
    auto mainLoop = RunLoop::current();
    std::shared_ptr<RunLoop> workerLoop, workerMain;
    std::thread worker([&] {
        workerLoop = RunLoop::current();
        workerMain = RunLoop::main();
    });
    worker.join();
    EXPECT_EQ(mainLoop, RunLoop::main());
    EXPECT_EQ(workerMain, mainLoop);
    EXPECT_NE(workerLoop, mainLoop);
}

}  // namespace
