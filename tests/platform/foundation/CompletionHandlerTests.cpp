#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <gtest/gtest.h>

#include <string>

using foundation::CompletionHandler;

namespace {

TEST(CompletionHandler, CopiesThatTravelThroughQueuesShareTheOneCall) {
    std::string received;
    CompletionHandler<std::string> handler = [&](std::string text) { received += text; };
    auto copy = handler;
    dispatch::globalQueue()->async([copy] { dispatch::mainQueue()->async([copy] { copy("answered"); }); });
    handler = nullptr;
    EXPECT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_EQ(received, "answered");
    CompletionHandler<int> none;  // no handler given: nothing to run and no rule
    none(1);
    EXPECT_FALSE(none);
}

TEST(CompletionHandlerDeathTest, ASecondCallOrADropWithoutACallStopsTheProcessNamingWhereItWasMade) {
    EXPECT_DEATH(
        {
            CompletionHandler<int> handler = [](int) {};
            handler(1);
            handler(2);
        },
        "CompletionHandlerTests.cpp:[0-9]+ .* was called a second time");
    EXPECT_DEATH({ CompletionHandler<> handler = [] {}; }, "CompletionHandlerTests.cpp:[0-9]+ .* was dropped without being called");
}

}  // namespace
