#include "platform/system/UnifiedLog.hpp"

#include <gtest/gtest.h>

using darwin::os_log_type_t;

TEST(UnifiedLog, DebugLinesAreDroppedUnlessSwitchedOn) {
    darwin::LogCapture capture;
    auto log = darwin::os_log_create("com.example.log", "[Tests]");
    struct Case {
        os_log_type_t type;
        bool enabledByDefault;
    };
    std::vector<Case> cases{{os_log_type_t::defaultType, true}, {os_log_type_t::info, true},
                            {os_log_type_t::debug, false},      {os_log_type_t::error, true},
                            {os_log_type_t::fault, true}};
    for (auto testCase : cases) {
        EXPECT_EQ(darwin::os_log_type_enabled(log, testCase.type), testCase.enabledByDefault);
        darwin::os_log_with_type(log, testCase.type, "line");
    }
    EXPECT_EQ(capture.entries().size(), 4u);
    capture.enableDebugLines();
    EXPECT_TRUE(darwin::os_log_type_enabled(log, os_log_type_t::debug));
    darwin::os_log_with_type(log, os_log_type_t::debug, "debug line");
    auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries.back().message, "debug line");
    EXPECT_EQ(entries.back().subsystem, "com.example.log");
    EXPECT_EQ(entries.back().category, "[Tests]");
}

TEST(UnifiedLog, TheCaptureSeesOnlyWhatHappensWhileAttached) {
    auto before = darwin::os_log_create("com.example.log", "[Before]");
    darwin::os_log_with_type(before, os_log_type_t::error, "unseen");
    {
        darwin::LogCapture capture;
        darwin::os_log_create("com.example.log", "[One]");
        darwin::os_log_create("com.example.log", "[One]");
        darwin::os_log_with_type(before, os_log_type_t::error, "seen");
        EXPECT_EQ(capture.handlesCreated(), 2u);
        ASSERT_EQ(capture.entries().size(), 1u);
        EXPECT_EQ(capture.entriesContaining("seen").size(), 1u);
    }
    darwin::LogCapture later;
    EXPECT_TRUE(later.entries().empty());
    EXPECT_FALSE(darwin::os_log_type_enabled(nullptr, os_log_type_t::error));
}
