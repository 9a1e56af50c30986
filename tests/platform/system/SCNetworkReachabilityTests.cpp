#include "platform/system/SCNetworkReachability.hpp"

#include "platform/foundation/Dispatch.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace systemconfiguration;

namespace {

struct Reports {
    std::vector<SCNetworkReachabilityFlags> flags;
    bool allOnMainThread = true;
};

void record(const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags flags, void* info) {
    auto* reports = static_cast<Reports*>(info);
    reports->flags.push_back(flags);
    reports->allOnMainThread = reports->allOnMainThread && dispatch::isMainThread();
}

SCNetworkReachabilityRef scheduledTarget(const char* host, Reports& reports) {
    auto target = SCNetworkReachabilityCreateWithName(kCFAllocatorDefault, host);
    SCNetworkReachabilityContext context{0, &reports, nullptr, nullptr, nullptr};
    EXPECT_TRUE(SCNetworkReachabilitySetCallback(target, &record, &context));
    EXPECT_TRUE(SCNetworkReachabilityScheduleWithRunLoop(target, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));
    return target;
}

}  // namespace

TEST(SCNetworkReachability, LoopbackHostsAreReportedReachableOnceOnTheMainRunLoop) {
    for (const char* host : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(host);
        Reports reports;
        auto target = scheduledTarget(host, reports);
        foundation::RunLoop::main()->runUntilIdle();
        ASSERT_EQ(reports.flags.size(), 1u);
        EXPECT_TRUE(reports.flags[0] & kSCNetworkReachabilityFlagsReachable);
        EXPECT_TRUE(reports.flags[0] & kSCNetworkReachabilityFlagsIsLocalAddress);
        EXPECT_FALSE(reports.flags[0] & kSCNetworkReachabilityFlagsConnectionRequired);
        EXPECT_TRUE(reports.allOnMainThread);
        CFRelease(target);
    }
}

TEST(SCNetworkReachability, NetworkChangesAreReEvaluatedButOnlyNewFlagsReported) {
    Reports reports;
    auto target = scheduledTarget("localhost", reports);
    foundation::RunLoop::main()->runUntilIdle();
    ASSERT_EQ(reports.flags.size(), 1u);
    NetworkChangeMonitor::simulateChangeForTesting();
    NetworkChangeMonitor::simulateChangeForTesting();
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(reports.flags.size(), 1u);

    // Scheduled anew, the first result is reported again.
    ASSERT_TRUE(SCNetworkReachabilityUnscheduleFromRunLoop(target, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));
    ASSERT_TRUE(SCNetworkReachabilityScheduleWithRunLoop(target, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(reports.flags.size(), 2u);
    CFRelease(target);
}

TEST(SCNetworkReachability, NoTargetForAnEmptyName) {
    EXPECT_EQ(SCNetworkReachabilityCreateWithName(kCFAllocatorDefault, ""), nullptr);
    EXPECT_EQ(SCNetworkReachabilityCreateWithName(kCFAllocatorDefault, nullptr), nullptr);
    EXPECT_FALSE(SCNetworkReachabilitySetCallback(nullptr, &record, nullptr));
    EXPECT_FALSE(SCNetworkReachabilityScheduleWithRunLoop(nullptr, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));
}

TEST(SCNetworkReachability, UnscheduledOrReleasedTargetsReportNothing) {
    Reports unscheduledReports;
    auto unscheduled = scheduledTarget("localhost", unscheduledReports);
    // Only the loop and mode it was scheduled on can take it off.
    EXPECT_FALSE(SCNetworkReachabilityUnscheduleFromRunLoop(unscheduled, foundation::RunLoop::main(), foundation::NSDefaultRunLoopMode));
    EXPECT_TRUE(SCNetworkReachabilityUnscheduleFromRunLoop(unscheduled, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));

    Reports releasedReports;
    auto released = scheduledTarget("localhost", releasedReports);
    CFRelease(released);
    EXPECT_FALSE(SCNetworkReachabilityScheduleWithRunLoop(released, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes));

    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_TRUE(unscheduledReports.flags.empty());
    EXPECT_TRUE(releasedReports.flags.empty());
}

TEST(SCNetworkReachability, ContextInformationIsRetainedAndReleased) {
    static int retains = 0;
    static int releases = 0;
    SCNetworkReachabilityContext context{0, &retains, [](const void* info) { ++retains; return info; },
                                         [](const void*) { ++releases; }, nullptr};
    auto target = SCNetworkReachabilityCreateWithName(kCFAllocatorDefault, "localhost");
    ASSERT_TRUE(SCNetworkReachabilitySetCallback(target, &record, &context));
    EXPECT_EQ(retains, 1);
    EXPECT_EQ(releases, 0);
    CFRelease(target);
    EXPECT_EQ(releases, 1);
}
