#include "platform/system/NetworkChangeMonitor.hpp"

#include <gtest/gtest.h>

#include <atomic>

using systemconfiguration::NetworkChangeMonitor;

TEST(NetworkChangeMonitor, ObserversHearOfChangesUntilTheirObservationEnds) {
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    auto firstObservation = NetworkChangeMonitor::observe([&] { ++first; });
    auto secondObservation = NetworkChangeMonitor::observe([&] { ++second; });
    EXPECT_TRUE(NetworkChangeMonitor::isWatchingForTesting());
    NetworkChangeMonitor::simulateChangeForTesting();
    firstObservation.reset();
    NetworkChangeMonitor::simulateChangeForTesting();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    secondObservation.reset();
    NetworkChangeMonitor::simulateChangeForTesting();
    EXPECT_EQ(second, 2);
}
