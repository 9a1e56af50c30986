#include "sdk/utilities/ZULLogger.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/utilities/ZULLoggerWrapper.hpp"
#include "tests/sdk/utilities/EnvironmentFixture.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace {

using darwin::os_log_type_t;

class Logger : public testsupport::EnvironmentFixture {
protected:
    void SetUp() override {
        EnvironmentFixture::SetUp();
        loadMainImage(false);
    }

    // Every line written so far, once the logging queue has delivered it.
    std::vector<darwin::LogEntry> lines() {
        ZULLoggerFlushForTesting();
        return capture_.entries();
    }
    bool wasWritten(const std::string& text) {
        ZULLoggerFlushForTesting();
        return !capture_.entriesContaining(text).empty();
    }
    static void notice(const std::string& text, ZULLoggerLevel level) {
        ZULOSLogBasic(level, "com.example.tests", "[Tests]", false, "I-TST000001", text, std::nullopt);
    }

    darwin::LogCapture capture_;
};

}  // namespace

TEST_F(Logger, DefaultLevelWritesWarningsAndNoticesButNotInfoOrDebug) {
    struct Case {
        ZULLoggerLevel level;
        bool writtenAtDefault;
    };
    std::vector<Case> cases{{ZULLoggerLevelError, true}, {ZULLoggerLevelWarning, true}, {ZULLoggerLevelNotice, true},
                            {ZULLoggerLevelInfo, false}, {ZULLoggerLevelDebug, false}};
    capture_.enableDebugLines();
    for (auto testCase : cases) notice("default level " + std::to_string(testCase.level), testCase.level);
    ZULSetLoggerLevel(ZULLoggerLevelDebug);
    for (auto testCase : cases) notice("debug level " + std::to_string(testCase.level), testCase.level);
    for (auto testCase : cases) {
        SCOPED_TRACE(testCase.level);
        EXPECT_EQ(wasWritten("default level " + std::to_string(testCase.level)), testCase.writtenAtDefault);
        EXPECT_TRUE(wasWritten("debug level " + std::to_string(testCase.level)));
        EXPECT_EQ(ZULIsLoggableLevel(testCase.level), true);
    }
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelDebug);
}

TEST_F(Logger, AnAppStoreBuildMayOnlyLowerItsLevelBelowNotice) {
    becomeAppStoreBuild();
    ZULSetLoggerLevel(ZULLoggerLevelDebug);
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelNotice);
    ZULSetLoggerLevel(ZULLoggerLevelError);
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelError);
    ZULSetLoggerLevel(ZULLoggerLevelNotice);
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelError);
    ZULLoggerForceDebug();
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelError);
    EXPECT_FALSE(ZULIsLoggableLevel(ZULLoggerLevelWarning));
    notice("must not appear", ZULLoggerLevelDebug);
    EXPECT_FALSE(wasWritten("must not appear"));
}

TEST_F(Logger, ForcedDebugWritesEveryLevelOutsideTheAppStore) {
    ZULSetLoggerLevel(ZULLoggerLevelError);
    ZULLoggerForceDebug();
    EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelDebug);
    EXPECT_TRUE(ZULIsLoggableLevel(100));
    // The level can go down again, but the forced flag keeps every line coming.
    ZULSetLoggerLevel(ZULLoggerLevelError);
    notice("still written", ZULLoggerLevelInfo);
    EXPECT_TRUE(wasWritten("still written"));
}

TEST_F(Logger, LevelsOutOfRangeWriteAForcedErrorAndChangeNothing) {
    ZULSetLoggerLevel(ZULLoggerLevelError);
    for (ZULLoggerLevel invalid : {8, 2, -1}) {
        SCOPED_TRACE(invalid);
        ZULSetLoggerLevel(invalid);
        EXPECT_EQ(ZULGetLoggerLevel(), ZULLoggerLevelError);
        auto expected = " - [ZULLogger][I-COR000023] Invalid logger level, " + std::to_string(invalid);
        ZULLoggerFlushForTesting();
        auto written = capture_.entriesContaining(expected);
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].message, expected);
        EXPECT_EQ(written[0].subsystem, "com.zadizu.utilities.logger");
        EXPECT_EQ(written[0].category, "[ZULLogger]");
        EXPECT_EQ(written[0].type, os_log_type_t::error);
    }
}

TEST_F(Logger, LevelsMapToLogTypes) {
    struct Case {
        ZULLoggerLevel level;
        os_log_type_t type;
    };
    std::vector<Case> cases{{-3, os_log_type_t::error}, {0, os_log_type_t::error},
                            {2, os_log_type_t::error},  {3, os_log_type_t::error},
                            {4, os_log_type_t::defaultType}, {5, os_log_type_t::defaultType},
                            {6, os_log_type_t::info},   {7, os_log_type_t::debug},
                            {8, os_log_type_t::error},  {42, os_log_type_t::error}};
    capture_.enableDebugLines();
    ZULLoggerForceDebug();
    for (auto testCase : cases) notice("level " + std::to_string(testCase.level) + ".", testCase.level);
    for (auto testCase : cases) {
        SCOPED_TRACE(testCase.level);
        ZULLoggerFlushForTesting();
        auto written = capture_.entriesContaining("level " + std::to_string(testCase.level) + ".");
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].type, testCase.type);
    }
}

TEST_F(Logger, AForcedDebugLineIsWrittenAtTheDefaultLevelAsADebugLine) {
    ZULLogDebug("com.example.tests", "[Tests]", true, "I-TST000002", "forced %d", 1);
    ZULLogDebug("com.example.tests", "[Tests]", false, "I-TST000003", "not forced");
    // The log itself keeps debug lines only when asked to.
    EXPECT_FALSE(wasWritten("forced 1"));
    capture_.enableDebugLines();
    ZULLogDebug("com.example.tests", "[Tests]", true, "I-TST000002", "forced %d", 2);
    ZULLogDebug("com.example.tests", "[Tests]", false, "I-TST000003", "not forced");
    auto written = lines();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].message, " - [Tests][I-TST000002] forced 2");
    EXPECT_EQ(written[0].type, os_log_type_t::debug);
}

TEST_F(Logger, LinesCarryVersionCategoryCodeAndText) {
    ZULLogWarning("com.example.tests", "[Tests]", false, "I-TST000004", "%@ has %ld items", "list", 3);
    ZULLoggerRegisterVersion("11.4.0");
    ZULLogError("com.example.tests", "[Tests]", false, "I-TST000005", "second");
    auto written = lines();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].message, " - [Tests][I-TST000004] list has 3 items");
    EXPECT_EQ(written[1].message, "11.4.0 - [Tests][I-TST000005] second");
    EXPECT_EQ(written[1].subsystem, "com.example.tests");
    EXPECT_EQ(written[1].category, "[Tests]");
    EXPECT_EQ(written[1].queue, "ZULLoggingClientQueue");
}

TEST_F(Logger, MessagesWithoutArgumentsAreWrittenVerbatim) {
    ZULLoggerWrapper::logWithLevel(ZULLoggerLevelError, "[Service]", "I-TST000006", "100% of %@ done, %d%%",
                                   std::nullopt);
    ZULLoggerWrapper::logWithLevel(ZULLoggerLevelError, "[Service]", "I-TST000007", "%@ of %d",
                                   ZULLogArguments{"half", 2});
    ZULLoggerWrapper::logWithLevel(ZULLoggerLevelWarning, "com.example.other", "[Other]", "I-TST000008",
                                   "50% off", std::nullopt);
    auto written = lines();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0].message, " - [Service][I-TST000006] 100% of %@ done, %d%%");
    EXPECT_EQ(written[0].subsystem, "com.zadizu.utilities.logger");
    EXPECT_EQ(written[0].category, "[Service]");
    EXPECT_EQ(written[1].message, " - [Service][I-TST000007] half of 2");
    EXPECT_EQ(written[2].message, " - [Other][I-TST000008] 50% off");
    EXPECT_EQ(written[2].subsystem, "com.example.other");
}

TEST_F(Logger, OneHandleIsMadePerSubsystemAndCategory) {
    for (int round = 0; round < 3; ++round) {
        ZULLogError("com.example.tests", "[First]", false, "I-TST000009", "a");
        ZULLogError("com.example.tests", "[Second]", false, "I-TST000009", "b");
        ZULLogError("com.example.other", "[First]", false, "I-TST000009", "c");
    }
    ZULLoggerFlushForTesting();
    EXPECT_EQ(capture_.handlesCreated(), 3u);
    EXPECT_EQ(capture_.entries().size(), 9u);
}

TEST_F(Logger, LinesReachTheLogInCallOrderFromManyThreads) {
    constexpr int threads = 6;
    constexpr int linesPerThread = 150;
    // Calls are numbered under a lock, so the call order is known across threads.
    foundation::Guarded<int> next{0};
    std::vector<std::thread> workers;
    for (int thread = 0; thread < threads; ++thread)
        workers.emplace_back([&, thread] {
            for (int index = 0; index < linesPerThread; ++index) {
                auto number = next.lock();
                ZULLogNotice("com.example.tests", "[Thread" + std::to_string(thread) + "]", false, "I-TST000010",
                             "#%d", (*number)++);
            }
        });
    for (auto& worker : workers) worker.join();
    auto written = lines();
    ASSERT_EQ(written.size(), static_cast<std::size_t>(threads * linesPerThread));
    for (std::size_t index = 0; index < written.size(); ++index) {
        auto hash = written[index].message.rfind('#');
        ASSERT_NE(hash, std::string::npos);
        ASSERT_EQ(written[index].message.substr(hash + 1), std::to_string(index)) << "line " << index;
    }
}
