#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using foundation::Clock;
using foundation::RunLoop;

namespace {

class DispatchQueueTest : public ManualClockFixture {
protected:
    bool drain() { return RunLoop::main()->runUntilIdle(); }
};

TEST_F(DispatchQueueTest, SerialQueueRunsOneItemAtATimeInEachSubmittersOrder) {
    auto queue = dispatch::createQueue("test.serial");
    constexpr int submitters = 6, itemsEach = 200;
    foundation::Guarded<std::map<int, std::vector<int>>> seen;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false}, wrongLabel{false};
    std::vector<std::thread> threads;
    for (int submitter = 0; submitter < submitters; ++submitter)
        threads.emplace_back([&, submitter] {
            for (int item = 0; item < itemsEach; ++item)
                queue->async([&, submitter, item] {
                    if (running.fetch_add(1) != 0) overlapped = true;
                    if (dispatch::currentQueueLabel() != "test.serial") wrongLabel = true;
                    seen.withLock([&](auto& items) { items[submitter].push_back(item); });
                    running.fetch_sub(1);
                });
        });
    for (auto& thread : threads) thread.join();
    queue->sync([] {});
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(wrongLabel);
    auto seenItems = seen.copy();
    ASSERT_EQ(seenItems.size(), static_cast<std::size_t>(submitters));
    for (auto& [submitter, items] : seenItems) {
        std::vector<int> expected(itemsEach);
        for (int index = 0; index < itemsEach; ++index) expected[index] = index;
        EXPECT_EQ(items, expected) << "submitter " << submitter;
    }
}

TEST_F(DispatchQueueTest, SyncRunsAfterEverythingSubmittedBeforeIt) {
    for (bool withTarget : {false, true}) {
        auto queue = dispatch::createQueue("test.sync", dispatch::Attributes::serial,
                                           withTarget ? dispatch::createQueue("test.target") : nullptr);
        std::vector<int> order;  // only touched on the queue
        for (int item = 0; item < 50; ++item) queue->async([&order, item] { order.push_back(item); });
        std::size_t seenBySync = 0;
        std::string labelInSync;
        queue->sync([&] {
            seenBySync = order.size();
            labelInSync = dispatch::currentQueueLabel();
        });
        EXPECT_EQ(seenBySync, 50u) << "with target " << withTarget;
        EXPECT_EQ(labelInSync, "test.sync");
        queue->async([&] { order.push_back(50); });
        queue->sync([] {});
        EXPECT_EQ(order.size(), 51u);
    }
}

TEST_F(DispatchQueueTest, SyncCallersFillingThePoolAreServedWithoutAFreeWorker) {
    // The first item holds the queue while callers fill every worker with sync waits and
    // queue far more behind them: once it ends, the waiters must pass the queue on among
    // themselves, since no worker is left to run a drain.
    auto queue = dispatch::createQueue("test.contended");
    foundation::Guarded<bool> release{false};
    std::condition_variable changed;
    queue->async([&] { release.lock().wait(changed, [](bool released) { return released; }); });
    constexpr int callers = 512;
    std::atomic<int> ran{0};
    auto group = dispatch::Group::create();
    for (int caller = 0; caller < callers; ++caller)
        group->async(dispatch::globalQueue(), [&] { queue->sync([&] { ran.fetch_add(1); }); });
    *release.lock() = true;
    changed.notify_all();
    ASSERT_TRUE(group->wait(1s)) << ran.load() << " of " << callers << " ran";
    EXPECT_EQ(ran.load(), callers);
}

TEST_F(DispatchQueueTest, ExceptionFromSyncWorkReachesTheCallerAndFreesTheQueue) {
    for (bool withTarget : {false, true}) {
        auto queue = dispatch::createQueue("test.throwing", dispatch::Attributes::serial,
                                           withTarget ? dispatch::globalQueue() : nullptr);
        EXPECT_THROW(queue->sync([] { throw std::runtime_error("refused"); }), std::runtime_error);
        bool ranAfter = false;
        queue->sync([&] { ranAfter = true; });
        EXPECT_TRUE(ranAfter) << "with target " << withTarget;
    }
}

TEST_F(DispatchQueueTest, SyncThatCouldNeverReturnIsReportedThroughTheAssertionHandler) {
    auto serial = dispatch::createQueue("test.self-sync");
    auto targeting = dispatch::createQueue("test.targeting", dispatch::Attributes::serial, serial);
    struct Case {
        const char* name;
        std::function<void(std::function<void()>)> attempt;
    };
    const Case cases[] = {
        {"main queue from the main thread", [](auto work) { dispatch::mainQueue()->sync(work); }},
        {"serial queue from its own work", [&](auto work) { serial->sync([&] { serial->sync(work); }); }},
        {"target queue from a queue targeting it",
         [&](auto work) { targeting->sync([&] { serial->sync(work); }); }},
        {"queue targeting main from the main thread",
         [](auto work) {
             dispatch::createQueue("test.on-main", dispatch::Attributes::serial, dispatch::mainQueue())->sync(work);
         }},
    };
    for (const auto& testCase : cases) {
        foundation::AssertionHandler::setMode(foundation::AssertionMode::raise);
        bool ran = false;
        EXPECT_THROW(testCase.attempt([&] { ran = true; }), foundation::Exception) << testCase.name;
        EXPECT_FALSE(ran) << testCase.name;

        foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
        testCase.attempt([&] { ran = true; });
        EXPECT_TRUE(ran) << testCase.name << ": logged and run in place instead of hanging";
    }
}

TEST_F(DispatchQueueTest, MainQueueWorkRunsOnlyOnTheMainThreadWhenTheMainLoopRuns) {
    std::atomic<bool> ran{false};
    std::thread::id ranOn;
    std::string label;
    std::thread submitter([&] {
        dispatch::mainQueue()->async([&] {
            ranOn = std::this_thread::get_id();
            label = dispatch::currentQueueLabel();
            ran = true;
        });
    });
    submitter.join();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(dispatch::isIdle());
    EXPECT_TRUE(drain());
    EXPECT_TRUE(ran);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(dispatch::isMainThread());
    EXPECT_EQ(label, "com.apple.main-thread");
    EXPECT_TRUE(dispatch::isIdle());
}

TEST_F(DispatchQueueTest, MainQueueIsServedInEveryCommonModeButNotOthers) {
    int ran = 0;
    dispatch::mainQueue()->async([&] { ++ran; });
    RunLoop::main()->run("CustomMode", Clock::now());
    EXPECT_EQ(ran, 0);
    RunLoop::main()->run(foundation::NSEventTrackingRunLoopMode, Clock::now());
    EXPECT_EQ(ran, 1);
}

TEST_F(DispatchQueueTest, SyncToTheMainQueueFromAWorkerWaitsForTheMainLoop) {
    std::vector<std::string> log;  // main thread only
    dispatch::globalQueue()->async([&] {
        dispatch::mainQueue()->sync([&] { log.push_back("sync on main"); });
        dispatch::mainQueue()->async([&] { log.push_back("after sync returned"); });
    });
    EXPECT_TRUE(drain());
    EXPECT_EQ(log, (std::vector<std::string>{"sync on main", "after sync returned"}));
}

TEST_F(DispatchQueueTest, RunUntilIdleDrainsAWorkerToMainHandOffChain) {
    std::vector<std::string> steps;  // main thread only
    dispatch::mainQueue()->async([&] {
        steps.push_back("main 1");
        dispatch::globalQueue(dispatch::Priority::userInitiated)->async([&] {
            auto labelOnWorker = dispatch::currentQueueLabel();
            dispatch::mainQueue()->async([&, labelOnWorker] {
                steps.push_back("main 2 after " + labelOnWorker);
                dispatch::createQueue("test.loader")->async([&] {
                    dispatch::mainQueue()->async([&] { steps.push_back("main 3"); });
                });
            });
        });
    });
    EXPECT_TRUE(drain());
    EXPECT_EQ(steps, (std::vector<std::string>{"main 1", "main 2 after com.apple.root.user-initiated-qos", "main 3"}));
    EXPECT_TRUE(dispatch::isIdle());
}

TEST_F(DispatchQueueTest, SerialQueueTargetingAnotherReportsItsOwnLabelAndSharesItsExclusivity) {
    auto target = dispatch::createQueue("test.target");
    auto first = dispatch::createQueue("test.first", dispatch::Attributes::serial, target);
    auto second = dispatch::createQueue("test.second", dispatch::Attributes::concurrent, target);
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    foundation::Guarded<std::vector<std::string>> labels;
    auto work = [&] {
        if (running.fetch_add(1) != 0) overlapped = true;
        labels.lock()->push_back(dispatch::currentQueueLabel());
        running.fetch_sub(1);
    };
    for (int round = 0; round < 100; ++round) {
        first->async(work);
        second->async(work);
        target->async(work);
    }
    target->sync([] {});
    EXPECT_FALSE(overlapped);
    std::map<std::string, int> counts;
    for (auto& label : labels.copy()) ++counts[label];
    EXPECT_EQ(counts, (std::map<std::string, int>{{"test.first", 100}, {"test.second", 100}, {"test.target", 100}}));
}

TEST_F(DispatchQueueTest, ConcurrentQueueRunsItemsAtTheSameTime) {
    // Items that each wait for all the others can only finish if they overlap: the pool
    // starts workers while the ones it has are busy, up to at least four.
    constexpr int overlapping = 4;
    auto queue = dispatch::createQueue("test.concurrent", dispatch::Attributes::concurrent);
    foundation::Guarded<int> arrived{0};
    std::condition_variable changed;
    std::atomic<bool> allMet{true};
    auto group = dispatch::Group::create();
    for (int index = 0; index < overlapping; ++index)
        group->async(queue, [&] {
            auto count = arrived.lock();
            ++*count;
            changed.notify_all();
            if (!count.waitUntil(changed, std::chrono::steady_clock::now() + 30s, [](int now) { return now == overlapping; }))
                allMet = false;
        });
    group->wait();
    EXPECT_TRUE(allMet);
}

TEST_F(DispatchQueueTest, LabelsNameTheQueueWhoseWorkIsRunning) {
    const std::pair<dispatch::Priority, const char*> globals[] = {
        {dispatch::Priority::background, "com.apple.root.background-qos"},
        {dispatch::Priority::utility, "com.apple.root.utility-qos"},
        {dispatch::Priority::defaultPriority, "com.apple.root.default-qos"},
        {dispatch::Priority::userInitiated, "com.apple.root.user-initiated-qos"},
        {dispatch::Priority::userInteractive, "com.apple.root.user-interactive-qos"},
    };
    for (auto [priority, expected] : globals) {
        auto queue = dispatch::globalQueue(priority);
        EXPECT_EQ(queue->label(), expected);
        EXPECT_EQ(queue, dispatch::globalQueue(priority));
        auto group = dispatch::Group::create();
        std::string seen;
        group->async(queue, [&] { seen = dispatch::currentQueueLabel(); });
        group->wait();
        EXPECT_EQ(seen, expected);
    }
    EXPECT_EQ(dispatch::mainQueue()->label(), "com.apple.main-thread");
    EXPECT_EQ(dispatch::currentQueueLabel(), "com.apple.main-thread");
    std::string onPlainThread = "unset";
    std::thread([&] { onPlainThread = dispatch::currentQueueLabel(); }).join();
    EXPECT_EQ(onPlainThread, "");
    EXPECT_FALSE(std::async(std::launch::async, [] { return dispatch::isMainThread(); }).get());
}

TEST_F(DispatchQueueTest, CancelledWorkItemDoesNotRunButOneAlreadyRunningFinishes) {
    int ran = 0;
    auto cancelledEarly = dispatch::WorkItem::create([&] { ++ran; });
    cancelledEarly->async(dispatch::mainQueue());
    cancelledEarly->cancel();
    EXPECT_TRUE(drain());
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(cancelledEarly->isCancelled());

    bool finished = false;
    dispatch::WorkItemPtr running;
    running = dispatch::WorkItem::create([&] {
        running->cancel();
        finished = true;
    });
    running->async(dispatch::mainQueue());
    EXPECT_TRUE(drain());
    EXPECT_TRUE(finished);
    EXPECT_TRUE(running->isCancelled());
    running.reset();
}

TEST_F(DispatchQueueTest, OnceRunsItsWorkOnceAcrossThreads) {
    dispatch::OnceFlag flag;
    std::atomic<int> runs{0};
    auto group = dispatch::Group::create();
    for (int index = 0; index < 16; ++index)
        group->async(dispatch::globalQueue(), [&] { dispatch::once(flag, [&] { runs.fetch_add(1); }); });
    group->wait();
    dispatch::once(flag, [&] { runs.fetch_add(1); });
    EXPECT_EQ(runs.load(), 1);
}

}  // namespace

TEST(ThreadCheckerDeathTest, MainThreadRuleBrokenOnAWorkerStopsTheProcessNamingTheCaller) {
    dispatch::checkMainThread();  // on the main thread: passes
    EXPECT_DEATH(std::thread([] { dispatch::checkMainThread(); }).join(), "must be called on the main thread");
}

TEST(ThreadCheckerDeathTest, QueueRuleHoldsInsideTheQueuesWorkOnly) {
    auto queue = dispatch::createQueue("test.owner");
    queue->sync([&] { dispatch::checkOnQueue(*queue); });  // inside its work: passes
    EXPECT_DEATH(dispatch::checkOnQueue(*queue), "must be called on the queue \"test.owner\"");
}
