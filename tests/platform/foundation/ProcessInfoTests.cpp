#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace foundation;

namespace {

class ProcessInfoTest : public testing::Test {
protected:
    void setPlatformVersion(objc::Id value) {
        UserDefaults::standardUserDefaults()->setPersistentDomain(
            value ? Dictionary::make({{"KVOperatingSystemVersion", value}}) : nullptr, NSGlobalDomain);
    }

    testsupport::TemporaryHome home;
};

TEST_F(ProcessInfoTest, OperatingSystemVersionComesFromThePlatformSettings) {
    struct Case {
        objc::Id setting;
        int major, minor, patch;
        std::string text;
    };
    const Case cases[] = {
        {String::make("14.2.1"), 14, 2, 1, "Version 14.2.1"},
        {String::make("13.6"), 13, 6, 0, "Version 13.6"},
        {String::make("12"), 12, 0, 0, "Version 12.0"},
        {nullptr, 15, 4, 0, "Version 15.4"},
        {String::make(""), 15, 4, 0, "Version 15.4"},
        {String::make("fourteen"), 15, 4, 0, "Version 15.4"},
        {String::make("14..1"), 15, 4, 0, "Version 15.4"},
        {String::make("14.2.1.5"), 15, 4, 0, "Version 15.4"},
        {String::make("-1.0"), 15, 4, 0, "Version 15.4"},
        {Number::withInteger(14), 15, 4, 0, "Version 15.4"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.setting ? testCase.setting->description() : "unset");
        setPlatformVersion(testCase.setting);
        auto version = ProcessInfo::operatingSystemVersion();
        EXPECT_EQ(version.majorVersion, testCase.major);
        EXPECT_EQ(version.minorVersion, testCase.minor);
        EXPECT_EQ(version.patchVersion, testCase.patch);
        EXPECT_EQ(ProcessInfo::operatingSystemVersionString(), testCase.text);
    }
}

TEST_F(ProcessInfoTest, VersionGatesCompareComponentByComponent) {
    setPlatformVersion(String::make("15.1"));
    struct Case {
        OperatingSystemVersion asked;
        bool atLeast;
    };
    const Case cases[] = {
        {{15, 1, 0}, true}, {{15, 0, 0}, true},  {{14, 9, 9}, true},  {{12, 0, 0}, true},
        {{15, 1, 1}, false}, {{15, 2, 0}, false}, {{16, 0, 0}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.asked.majorVersion * 10000 + testCase.asked.minorVersion * 100 + testCase.asked.patchVersion);
        EXPECT_EQ(ProcessInfo::isOperatingSystemAtLeastVersion(testCase.asked), testCase.atLeast);
    }
    ProcessInfo::setOperatingSystemVersionForTesting(OperatingSystemVersion{13, 6, 0});
    EXPECT_FALSE(ProcessInfo::isOperatingSystemAtLeastVersion({14, 0, 0}));
    EXPECT_EQ(ProcessInfo::operatingSystemVersion().majorVersion, 13);
    ProcessInfo::setOperatingSystemVersionForTesting(std::nullopt);
    EXPECT_EQ(ProcessInfo::operatingSystemVersion().minorVersion, 1);
}

TEST_F(ProcessInfoTest, EnvironmentArgumentsAndIdentityDescribeThisProcess) {
    ::setenv("KV_PROCESS_INFO_PROBE", "a=b", 1);
    EXPECT_EQ(ProcessInfo::environment()["KV_PROCESS_INFO_PROBE"], "a=b");
    EXPECT_EQ(ProcessInfo::environment()["HOME"], home.path().string());
    ::unsetenv("KV_PROCESS_INFO_PROBE");
    EXPECT_EQ(ProcessInfo::environment().count("KV_PROCESS_INFO_PROBE"), 0u);

    auto launched = ProcessInfo::arguments();
    ASSERT_FALSE(launched.empty());
    EXPECT_EQ(std::filesystem::path(launched.front()).filename(), "platform_foundation_tests");
    EXPECT_EQ(ProcessInfo::processName(), "platform_foundation_tests");
    EXPECT_EQ(ProcessInfo::processIdentifier(), ::getpid());

    ProcessInfo::setArguments({"Kestrelvault", "-DDVDebugEnabled"});
    EXPECT_EQ(ProcessInfo::arguments(), (std::vector<std::string>{"Kestrelvault", "-DDVDebugEnabled"}));
}

}  // namespace
