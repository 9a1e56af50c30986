#include "platform/foundation/Observable.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace foundation;

namespace {

TEST(Observable, EveryAssignmentNotifiesEvenWithAnEqualValue) {
    Observable<std::vector<int>> bookmarks;
    std::vector<std::size_t> sizes;
    auto token = bookmarks.observe([&](const std::vector<int>& value) { sizes.push_back(value.size()); });
    bookmarks = {1, 2};
    bookmarks = {1, 2};
    bookmarks.set({});
    EXPECT_EQ(sizes, (std::vector<std::size_t>{2, 2, 0}));
    EXPECT_TRUE(bookmarks.get().empty());
}

TEST(Observable, ObserversAreCalledInSubscriptionOrderWithTheValueAlreadyStored) {
    Observable<int> value(1);
    std::vector<std::string> calls;
    auto first = value.observe([&](const int& seen) { calls.push_back("first " + std::to_string(seen)); });
    auto second = value.observe([&](const int&) { calls.push_back("second reads " + std::to_string(value.get())); });
    value = 7;
    EXPECT_EQ(calls, (std::vector<std::string>{"first 7", "second reads 7"}));
}

TEST(Observable, OptionsDecideBetweenTheCurrentValueAndLaterOnes) {
    struct Case {
        ObservingOptions options;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {ObservingOptions::newValue, {2, 3}},
        {ObservingOptions::initial, {1}},
        {ObservingOptions::initialAndNew, {1, 2, 3}},
    };
    for (const auto& testCase : cases) {
        Observable<int> value(1);
        std::vector<int> seen;
        auto token = value.observe([&](const int& current) { seen.push_back(current); }, testCase.options);
        value = 2;
        value = 3;
        EXPECT_EQ(seen, testCase.expected) << static_cast<unsigned>(testCase.options);
    }
}

TEST(Observable, CancelledOrDestroyedTokensStopDelivery) {
    Observable<int> value;
    int cancelledCalls = 0, destroyedCalls = 0, keptCalls = 0;
    auto cancelled = value.observe([&](const int&) { ++cancelledCalls; });
    std::optional<ObservationToken> destroyed = value.observe([&](const int&) { ++destroyedCalls; });
    auto kept = value.observe([&](const int&) { ++keptCalls; });
    value = 1;
    cancelled.cancel();
    cancelled.cancel();
    destroyed.reset();
    value = 2;
    EXPECT_EQ(cancelledCalls, 1);
    EXPECT_EQ(destroyedCalls, 1);
    EXPECT_EQ(keptCalls, 2);
}

TEST(Observable, AssigningANewObservationToATokenEndsTheOldOne) {
    Observable<int> value;
    std::vector<std::string> calls;
    ObservationToken token = value.observe([&](const int&) { calls.push_back("old"); });
    token = value.observe([&](const int&) { calls.push_back("new"); });
    value = 1;
    EXPECT_EQ(calls, (std::vector<std::string>{"new"}));
}

TEST(Observable, ObserverCancelledDuringANotificationIsNotCalledForIt) {
    Observable<int> value;
    std::vector<std::string> calls;
    ObservationToken later;
    auto first = value.observe([&](const int&) {
        calls.push_back("first");
        later.cancel();
    });
    later = value.observe([&](const int&) { calls.push_back("later"); });
    value = 1;
    EXPECT_EQ(calls, (std::vector<std::string>{"first"}));
}

TEST(Observable, ObserversDieWithTheObservableWhileTheirTokensLiveOn) {
    auto captured = std::make_shared<int>(0);
    ObservationToken token;
    {
        Observable<std::string> name("a");
        token = name.observe([captured](const std::string&) { ++*captured; });
        EXPECT_EQ(captured.use_count(), 2);
    }
    EXPECT_EQ(captured.use_count(), 1);
    token.cancel();  // must not reach the observable that is gone
    EXPECT_EQ(*captured, 0);
}

}  // namespace
