#include "sdk/utilities/ZULReachabilityChecker.hpp"

#include "tests/sdk/utilities/NetworkTestSupport.hpp"

#include <gtest/gtest.h>

using namespace systemconfiguration;
using testsupport::RecordingReachabilityDelegate;

namespace {

// A platform stand-in that records the calls and keeps the callback so tests can report
// flags as the platform would.
struct FakePlatform {
    int creates = 0;
    int schedules = 0;
    int unschedules = 0;
    int releases = 0;
    bool createSucceeds = true;
    bool callbackSucceeds = true;
    bool scheduleSucceeds = true;
    SCNetworkReachabilityCallBack callback = nullptr;
    void* info = nullptr;
    SCNetworkReachabilityRef target;

    void report(SCNetworkReachabilityFlags flags) const { callback(target, flags, info); }
};

FakePlatform* fake = nullptr;

const ZULReachabilityApi fakeApi = {
    [](CFAllocatorRef, const char* host) -> SCNetworkReachabilityRef {
        ++fake->creates;
        if (!fake->createSucceeds) return nullptr;
        fake->target = std::make_shared<SCNetworkReachability>(host);
        return fake->target;
    },
    [](const SCNetworkReachabilityRef&, SCNetworkReachabilityCallBack callback, SCNetworkReachabilityContext* context) {
        fake->callback = callback;
        fake->info = context->info;
        return fake->callbackSucceeds;
    },
    [](const SCNetworkReachabilityRef&, const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode) {
        ++fake->schedules;
        return fake->scheduleSucceeds && runLoop == foundation::RunLoop::main() && mode == foundation::NSRunLoopCommonModes;
    },
    [](const SCNetworkReachabilityRef&, const std::shared_ptr<foundation::RunLoop>&, std::string_view) {
        ++fake->unschedules;
        return true;
    },
    [](const SCNetworkReachabilityRef&) { ++fake->releases; },
};

class ReachabilityChecker : public testsupport::LoggingFixture {
protected:
    void SetUp() override {
        LoggingFixture::SetUp();
        ZULSetLoggerLevel(ZULLoggerLevelDebug);
        fake = &platform_;
        delegate_ = RecordingReachabilityDelegate::make();
        checker_ = ZULReachabilityChecker::initWithReachabilityDelegate(delegate_, "example.org");
        ASSERT_NE(checker_, nullptr);
        checker_->setReachabilityApi(&fakeApi);
    }
    void TearDown() override {
        checker_.reset();
        fake = nullptr;
        LoggingFixture::TearDown();
    }

    FakePlatform platform_;
    std::shared_ptr<RecordingReachabilityDelegate> delegate_;
    std::shared_ptr<ZULReachabilityChecker> checker_;
};

}  // namespace

TEST_F(ReachabilityChecker, StatusFollowsTheReachableAndConnectionFlags) {
    struct Case {
        SCNetworkReachabilityFlags flags;
        ZULReachabilityStatus status;
    };
    const Case cases[] = {
        {kSCNetworkReachabilityFlagsReachable, 2},
        {kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsConnectionRequired, 1},
        {kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsConnectionRequired |
             kSCNetworkReachabilityFlagsConnectionOnDemand, 2},
        {kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsConnectionRequired |
             kSCNetworkReachabilityFlagsConnectionOnTraffic, 2},
        {kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsConnectionRequired |
             kSCNetworkReachabilityFlagsConnectionOnDemand | kSCNetworkReachabilityFlagsInterventionRequired, 1},
        {kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsInterventionRequired, 2},
        {kSCNetworkReachabilityFlagsConnectionOnDemand, 1},
        {0, 1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.flags);
        EXPECT_EQ(checker_->statusForFlags(testCase.flags), testCase.status);
    }
}

TEST_F(ReachabilityChecker, EqualReportsReachTheDelegateOnce) {
    ASSERT_TRUE(checker_->start());
    EXPECT_TRUE(checker_->isActive());
    platform_.report(kSCNetworkReachabilityFlagsReachable);
    platform_.report(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect);
    platform_.report(0);
    EXPECT_EQ(delegate_->statuses, (std::vector<ZULReachabilityStatus>{2, 1}));
    EXPECT_EQ(delegate_->lastChecker.lock(), checker_);
    EXPECT_EQ(checker_->reachabilityStatus(), 1);
    EXPECT_EQ(logged("[I-REA902004] Network status has changed. Code:2, status:Connected"), 1u);
    EXPECT_EQ(logged("[I-REA902004] Network status has changed. Code:1, status:Disconnected"), 1u);
    EXPECT_EQ(logged("[I-REA902003] Monitoring the network status"), 1u);
}

TEST_F(ReachabilityChecker, StopForgetsTheStatusSoTheNextReportIsDelivered) {
    ASSERT_TRUE(checker_->start());
    platform_.report(kSCNetworkReachabilityFlagsReachable);
    checker_->stop();
    EXPECT_EQ(checker_->reachabilityStatus(), 0);
    EXPECT_FALSE(checker_->isActive());
    EXPECT_EQ(platform_.unschedules, 1);
    EXPECT_EQ(platform_.releases, 1);
    checker_->stop();
    EXPECT_EQ(platform_.releases, 1);

    ASSERT_TRUE(checker_->start());
    platform_.report(kSCNetworkReachabilityFlagsReachable);
    EXPECT_EQ(delegate_->statuses, (std::vector<ZULReachabilityStatus>{2, 2}));
}

TEST_F(ReachabilityChecker, StartingTwiceKeepsTheOneTarget) {
    ASSERT_TRUE(checker_->start());
    ASSERT_TRUE(checker_->start());
    EXPECT_EQ(platform_.creates, 1);
    EXPECT_EQ(logged("[I-REA902003] Monitoring the network status"), 2u);
}

TEST_F(ReachabilityChecker, TableSwapIsRefusedWhileRunningAndAcceptedAfterStop) {
    ASSERT_TRUE(checker_->start());
    checker_->setReachabilityApi(&kZULDefaultReachabilityApi);
    EXPECT_EQ(checker_->reachabilityApi(), &fakeApi);
    EXPECT_EQ(logged("[I-REA902000] Cannot change reachability API while reachability is running. Call stop first."), 1u);
    checker_->stop();
    checker_->setReachabilityApi(&kZULDefaultReachabilityApi);
    EXPECT_EQ(checker_->reachabilityApi(), &kZULDefaultReachabilityApi);
    EXPECT_EQ(logged("[I-REA902000]"), 1u);
}

TEST_F(ReachabilityChecker, FailedStartReleasesTheTargetAndSaysSo) {
    struct Case {
        bool callbackSucceeds;
        bool scheduleSucceeds;
    };
    int attempts = 0;
    for (const auto& testCase : {Case{false, true}, Case{true, false}}) {
        SCOPED_TRACE(testCase.callbackSucceeds);
        ++attempts;
        platform_.callbackSucceeds = testCase.callbackSucceeds;
        platform_.scheduleSucceeds = testCase.scheduleSucceeds;
        EXPECT_FALSE(checker_->start());
        EXPECT_FALSE(checker_->isActive());
        EXPECT_EQ(platform_.releases, attempts);
        EXPECT_EQ(logged("[I-REA902002] Failed to start reachability handle"), static_cast<std::size_t>(attempts));
    }
    EXPECT_EQ(platform_.schedules, 1);  // not tried once setting the callback failed

    // A target that cannot even be made fails quietly.
    platform_.createSucceeds = false;
    EXPECT_FALSE(checker_->start());
    EXPECT_EQ(logged("[I-REA902002]"), 2u);
}

TEST_F(ReachabilityChecker, DestroyingTheCheckerStopsIt) {
    ASSERT_TRUE(checker_->start());
    checker_.reset();
    EXPECT_EQ(platform_.unschedules, 1);
    EXPECT_EQ(platform_.releases, 1);
}

TEST_F(ReachabilityChecker, DelegateIsHeldWeaklyAndMustConform) {
    ASSERT_TRUE(checker_->start());
    delegate_.reset();
    platform_.report(kSCNetworkReachabilityFlagsReachable);
    EXPECT_EQ(checker_->reachabilityStatus(), 2);

    auto stranger = std::make_shared<objc::Object>();
    auto other = RecordingReachabilityDelegate::make();
    checker_->setReachabilityDelegate(other);
    checker_->setReachabilityDelegate(stranger);
    EXPECT_EQ(checker_->reachabilityDelegate(), other);
    EXPECT_EQ(logged("[I-NET902005] Reachability delegate doesn't conform to Reachability protocol."), 1u);
    checker_->setReachabilityDelegate(nullptr);
    EXPECT_EQ(checker_->reachabilityDelegate(), nullptr);
}

TEST(ReachabilityCheckerHost, EmptyHostGivesNoCheckerAndOneErrorLine) {
    darwin::LogCapture capture;
    EXPECT_EQ(ZULReachabilityChecker::initWithReachabilityDelegate(RecordingReachabilityDelegate::make(), ""), nullptr);
    ZULLoggerFlushForTesting();
    auto lines = capture.entriesContaining("Invalid host specified");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].message.find("[ZULReachability][I-REA902001]"), std::string::npos);
    EXPECT_EQ(lines[0].subsystem, "com.zadizu.utilities.logger");
    EXPECT_EQ(lines[0].type, darwin::os_log_type_t::error);
}

TEST(ReachabilityCheckerPlatform, LocalhostIsReportedReachableOnTheMainThread) {
    auto delegate = RecordingReachabilityDelegate::make();
    auto checker = ZULReachabilityChecker::initWithReachabilityDelegate(delegate, "localhost");
    ASSERT_TRUE(checker->start());
    foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(delegate->statuses, std::vector<ZULReachabilityStatus>{2});
    EXPECT_EQ(checker->reachabilityStatus(), 2);
}
