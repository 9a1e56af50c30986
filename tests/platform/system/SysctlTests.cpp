#include "platform/system/Sysctl.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

class Sysctl : public ::testing::Test {};

}  // namespace

TEST_F(Sysctl, SizeThenValueAsThePlatformAnswers) {
    darwin::setSysctlValueForTesting("hw.model", "Mac14,2");
    std::size_t size = 0;
    ASSERT_EQ(darwin::sysctlbyname("hw.model", nullptr, &size, nullptr, 0), 0);
    EXPECT_EQ(size, 8u);  // the text and its terminating zero

    char buffer[16] = {};
    size = sizeof buffer;
    ASSERT_EQ(darwin::sysctlbyname("hw.model", buffer, &size, nullptr, 0), 0);
    EXPECT_STREQ(buffer, "Mac14,2");
    EXPECT_EQ(size, 8u);

    char small[4] = {};
    size = sizeof small;
    EXPECT_EQ(darwin::sysctlbyname("hw.model", small, &size, nullptr, 0), -1);
    EXPECT_EQ(errno, ENOMEM);
}

TEST_F(Sysctl, MissingAndUnknownValuesHaveNoSize) {
    darwin::setSysctlValueForTesting("hw.model", std::nullopt);
    for (const char* name : {"hw.model", "kern.nothing"}) {
        SCOPED_TRACE(name);
        std::size_t size = 99;
        EXPECT_EQ(darwin::sysctlbyname(name, nullptr, &size, nullptr, 0), -1);
        EXPECT_EQ(errno, ENOENT);
        EXPECT_EQ(size, 0u);
    }
    int value = 1;
    std::size_t size = 0;
    EXPECT_EQ(darwin::sysctlbyname("hw.model", nullptr, &size, &value, sizeof value), -1);
    EXPECT_EQ(errno, EPERM);
}
