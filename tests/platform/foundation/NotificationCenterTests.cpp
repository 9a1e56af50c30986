#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/String.hpp"

#include "tests/platform/foundation/ManualClockFixture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

using namespace foundation;

namespace {

class NotificationCenterTest : public ManualClockFixture {
protected:
    std::shared_ptr<NotificationCenter> center = NotificationCenter::make();
};

TEST_F(NotificationCenterTest, ObserversReceiveOnlyNotificationsMatchingTheirNameAndObject) {
    auto sender = String::make("sender");
    auto lookalike = String::make("sender");  // equal, but another object
    struct Case {
        const char* observerName;
        objc::Id observedObject;
        std::vector<const char*> expected;
    };
    const Case cases[] = {
        {"", nullptr, {"A/sender", "A/lookalike", "B/sender", "A/nil"}},
        {"A", nullptr, {"A/sender", "A/lookalike", "A/nil"}},
        {"", sender, {"A/sender", "B/sender"}},
        {"A", sender, {"A/sender"}},
        {"C", nullptr, {}},
    };
    for (const auto& testCase : cases) {
        std::vector<std::string> received;
        auto token = center->addObserver(testCase.observerName, testCase.observedObject, nullptr,
                                         [&](const Notification& notification) {
                                             std::string object = !notification.object ? "nil"
                                                                  : notification.object == sender ? "sender"
                                                                                                  : "lookalike";
                                             received.push_back(notification.name + "/" + object);
                                         });
        center->post("A", sender);
        center->post("A", lookalike);
        center->post("B", sender);
        center->post("A");
        EXPECT_EQ(received, std::vector<std::string>(testCase.expected.begin(), testCase.expected.end()))
            << "observing \"" << testCase.observerName << "\"";
    }
}

TEST_F(NotificationCenterTest, ObserversAddedFromSeveralThreadsWhileAnotherPostsAreAllKept) {
    constexpr int adders = 4;
    constexpr int observersEach = 500;
    std::vector<std::atomic<int>> received(adders * observersEach);
    std::vector<std::vector<std::unique_ptr<NotificationToken>>> tokens(adders);
    std::atomic<int> addersDone{0};
    std::thread poster([&] {
        while (addersDone < adders) center->post("A");
    });
    std::vector<std::thread> threads;
    for (int adder = 0; adder < adders; ++adder)
        threads.emplace_back([&, adder] {
            for (int index = 0; index < observersEach; ++index) {
                auto& count = received[adder * observersEach + index];
                tokens[adder].push_back(
                    center->addObserver("A", nullptr, nullptr, [&count](const Notification&) { ++count; }));
            }
            ++addersDone;
        });
    for (auto& thread : threads) thread.join();
    poster.join();

    std::vector<int> before(received.size());
    for (std::size_t index = 0; index < received.size(); ++index) before[index] = received[index];
    center->post("A");
    int reachedOnce = 0;
    for (std::size_t index = 0; index < received.size(); ++index) reachedOnce += received[index] == before[index] + 1;
    EXPECT_EQ(reachedOnce, adders * observersEach);
}

TEST_F(NotificationCenterTest, ObserverOfAnObjectThatDiedMatchesNoNewcomer) {
    int received = 0;
    auto doomed = String::make("doomed");
    auto token = center->addObserver("A", doomed, nullptr, [&](const Notification&) { ++received; });
    doomed.reset();
    for (int index = 0; index < 50; ++index) center->post("A", String::make("newcomer"));
    EXPECT_EQ(received, 0);
}

TEST_F(NotificationCenterTest, DeliveryIsSynchronousInRegistrationOrderAndCarriesUserInfo) {
    std::vector<std::string> order;
    auto first = center->addObserver("A", nullptr, nullptr, [&](const Notification&) { order.push_back("first"); });
    auto second = center->addObserver("A", nullptr, nullptr, [&](const Notification& notification) {
        order.push_back(notification.userInfo ? "second with info" : "second");
    });
    center->post("A", nullptr, std::make_shared<Dictionary>());
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second with info"}));
}

TEST_F(NotificationCenterTest, ObserverWithAQueueIsCalledOnThatQueue) {
    std::string mainLabel;
    bool calledDuringPost = false;
    auto onMain = center->addObserver("A", nullptr, dispatch::mainQueue(),
                                      [&](const Notification&) { mainLabel = dispatch::currentQueueLabel(); });
    center->post("A");
    calledDuringPost = !mainLabel.empty();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_FALSE(calledDuringPost);
    EXPECT_EQ(mainLabel, "com.apple.main-thread");

    auto queue = dispatch::createQueue("test.observer");
    std::string serialLabel;
    auto onSerial = center->addObserver("A", nullptr, queue,
                                        [&](const Notification&) { serialLabel = dispatch::currentQueueLabel(); });
    std::thread([&] { center->post("A"); }).join();
    queue->sync([] {});
    EXPECT_EQ(serialLabel, "test.observer");
}

TEST_F(NotificationCenterTest, PostFromAWorkerDeliversOnThatWorker) {
    std::thread::id deliveredOn;
    auto token = center->addObserver("A", nullptr, nullptr,
                                     [&](const Notification&) { deliveredOn = std::this_thread::get_id(); });
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        center->post("A");
    });
    worker.join();
    EXPECT_EQ(deliveredOn, workerId);
}

TEST_F(NotificationCenterTest, ObserverRemovedDuringAPostIsNotCalledAfterwards) {
    std::vector<std::string> calls;
    std::unique_ptr<NotificationToken> second;
    auto first = center->addObserver("A", nullptr, nullptr, [&](const Notification&) {
        calls.push_back("first");
        second.reset();
    });
    second = center->addObserver("A", nullptr, nullptr, [&](const Notification&) { calls.push_back("second"); });
    std::unique_ptr<NotificationToken> self;
    self = center->addObserver("A", nullptr, nullptr, [&](const Notification&) {
        calls.push_back("self");
        self->remove();
    });
    center->post("A");
    center->post("A");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "self", "first"}));
}

TEST_F(NotificationCenterTest, QueuedDeliveryOfARemovedObserverIsDropped) {
    int calls = 0;
    auto token = center->addObserver("A", nullptr, dispatch::mainQueue(), [&](const Notification&) { ++calls; });
    center->post("A");
    token.reset();
    EXPECT_TRUE(RunLoop::main()->runUntilIdle());
    EXPECT_EQ(calls, 0);
}

TEST_F(NotificationCenterTest, RemovalOnOneThreadStopsDeliveriesPostedOnAnother) {
    std::atomic<int> calls{0};
    struct Progress {
        bool firstCallSeen = false;
        bool keepPosting = true;
    };
    foundation::Guarded<Progress> progress;
    std::condition_variable changed;
    auto token = center->addObserver("A", nullptr, nullptr, [&](const Notification&) {
        calls.fetch_add(1);
        progress.lock()->firstCallSeen = true;
        changed.notify_all();
    });
    std::thread poster([&] {
        while (progress.lock()->keepPosting) center->post("A");
        for (int index = 0; index < 100; ++index) center->post("A");
    });
    progress.lock().wait(changed, [](const Progress& now) { return now.firstCallSeen; });
    token->remove();
    int callsAtRemoval = calls.load();
    progress.lock()->keepPosting = false;
    poster.join();
    EXPECT_GT(callsAtRemoval, 0);
    EXPECT_EQ(calls.load(), callsAtRemoval);
}

TEST_F(NotificationCenterTest, CentresAreIndependentAndTheDefaultIsShared) {
    int privateCalls = 0, defaultCalls = 0;
    auto privateToken = center->addObserver("A", nullptr, nullptr, [&](const Notification&) { ++privateCalls; });
    auto defaultToken =
        NotificationCenter::defaultCenter()->addObserver("A", nullptr, nullptr, [&](const Notification&) { ++defaultCalls; });
    NotificationCenter::defaultCenter()->post("A");
    EXPECT_EQ(privateCalls, 0);
    EXPECT_EQ(defaultCalls, 1);
    center->post("A");
    EXPECT_EQ(privateCalls, 1);
    EXPECT_EQ(defaultCalls, 1);
    EXPECT_EQ(NotificationCenter::defaultCenter(), NotificationCenter::defaultCenter());
}

TEST_F(NotificationCenterTest, TokenOutlivingItsCentreIsHarmless) {
    int calls = 0;
    auto token = center->addObserver("A", nullptr, nullptr, [&](const Notification&) { ++calls; });
    center.reset();
    token->remove();
    token.reset();
    EXPECT_EQ(calls, 0);
}

}  // namespace
