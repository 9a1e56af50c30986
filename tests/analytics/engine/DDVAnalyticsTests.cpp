#include "analytics/engine/AMSAnalytics.hpp"
#include "analytics/engine/AMSDatabase.hpp"
#include "analytics/engine/DDVAnalytics.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/String.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/FileModes.hpp"
#include "tests/support/MeasurementRows.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using foundation::Dictionary;
using foundation::Number;
using foundation::String;

constexpr double kStartSeconds = 1'765'000'000.0;
constexpr std::int64_t kStartMillis = 1'765'000'000'000;

class DDVAnalyticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual(kStartSeconds);
        testsupport::installMainBundle(home_, "Kestrelvault",
                                       {{"ZadizuService-Info.plist",
                                         testsupport::stringDictionaryPlist({{"APP_ID", "1:test:macos:1"}})}});
    }

    void drain() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }
    std::filesystem::path database() const { return AMSDatabase::defaultPath(); }

    std::vector<std::string> monitorLines() {
        ZULLoggerFlushForTesting();
        std::vector<std::string> lines;
        for (const auto& entry : capture_.entriesContaining("I-ACS")) lines.push_back(entry.message);
        return lines;
    }

    testsupport::TemporaryHome home_;
    darwin::LogCapture capture_;
};

TEST_F(DDVAnalyticsTest, EventsAndPropertiesAreWrittenInCallOrderWithTheirTimestamps) {
    ZIZAdu::configure();
    DDVAnalytics::logEventWithName("open_search", nullptr);
    foundation::Clock::advance(std::chrono::milliseconds(1500));
    DDVAnalytics::logEventWithName("open_bookmark", Dictionary::make({{"browser", String::make("chrome")}}));
    DDVAnalytics::setUserPropertyString("2", "enabled_browsers");
    drain();

    auto events = testsupport::storedEvents(database());
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].name, "open_search");
    EXPECT_EQ(events[0].origin, "app");
    EXPECT_EQ(events[0].parameters, "{}");
    EXPECT_EQ(events[0].timestamp, kStartMillis);
    EXPECT_EQ(events[1].name, "open_bookmark");
    EXPECT_EQ(events[1].parameters, R"({"browser":"chrome"})");
    EXPECT_EQ(events[1].timestamp, kStartMillis + 1500);

    auto properties = testsupport::storedUserProperties(database());
    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties[0].name, "enabled_browsers");
    EXPECT_EQ(properties[0].value, "2");
    EXPECT_EQ(properties[0].setTimestamp, kStartMillis + 1500);
}

TEST_F(DDVAnalyticsTest, NothingIsRecordedBeforeTheDefaultAppIsConfigured) {
    DDVAnalytics::logEventWithName("open_search", nullptr);
    DDVAnalytics::setUserPropertyString("3", "enabled_browsers");
    drain();
    EXPECT_FALSE(std::filesystem::exists(database()));
    EXPECT_EQ(monitorLines(),
              (std::vector<std::string>{
                  " - [DoderivoAnalytics][I-ACS025018] Event not logged. DoderivoApp not configured.: open_search",
                  " - [DoderivoAnalytics][I-ACS025019] User property not set. DoderivoApp not configured."}));
    ZULLoggerFlushForTesting();
    for (const auto& entry : capture_.entriesContaining("I-ACS")) EXPECT_EQ(entry.type, darwin::os_log_type_t::error);

    ZIZAdu::configure();
    DDVAnalytics::logEventWithName("open_bookmark", nullptr);
    drain();
    auto events = testsupport::storedEvents(database());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, "open_bookmark");
    EXPECT_TRUE(testsupport::storedUserProperties(database()).empty());
}

TEST_F(DDVAnalyticsTest, OnlyValidNamesAreStored) {
    struct Case {
        std::string name;
        bool stored;
    };
    const std::vector<Case> cases = {
        {"a", true},
        {"Open_Bookmark_2", true},
        {std::string(40, 'x'), true},
        {std::string(41, 'x'), false},
        {"", false},
        {"1st_event", false},
        {"_private", false},
        {"with space", false},
        {"with-dash", false},
        {"caf\u00e9", false},
    };
    ZIZAdu::configure();
    for (const auto& testCase : cases) {
        DDVAnalytics::logEventWithName(testCase.name, nullptr);
        DDVAnalytics::setUserPropertyString("1", testCase.name);
    }
    drain();

    std::vector<std::string> expected;
    for (const auto& testCase : cases)
        if (testCase.stored) expected.push_back(testCase.name);
    std::vector<std::string> events;
    for (const auto& event : testsupport::storedEvents(database())) events.push_back(event.name);
    EXPECT_EQ(events, expected);
    std::vector<std::string> properties;
    for (const auto& property : testsupport::storedUserProperties(database())) properties.push_back(property.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(properties, expected);
    ZULLoggerFlushForTesting();
    EXPECT_EQ(capture_.entriesContaining("[I-ACS025020] Event name is invalid. Event dropped: 1st_event").size(), 1u);
    EXPECT_EQ(
        capture_.entriesContaining("[I-ACS025021] User property name is invalid. Property not set: with-dash").size(),
        1u);
}

TEST_F(DDVAnalyticsTest, ParameterValuesKeepTheirKindAndOtherValuesAreLeftOut) {
    ZIZAdu::configure();
    auto parameters = Dictionary::make({{"browser", String::make("safari")},
                                        {"count", Number::withInteger(3)},
                                        {"ratio", Number::withDouble(0.5)},
                                        {"title", String::make("bad \xff byte")},
                                        {"list", foundation::Array::make({String::make("x")})}});
    DDVAnalytics::logEventWithName("open_bookmark", parameters);
    // The caller's later changes do not reach the queued event.
    parameters->setObject(String::make("edge"), "browser");
    drain();

    auto events = testsupport::storedEvents(database());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].parameters, "{\"browser\":\"safari\",\"count\":3,\"ratio\":0.5}");
    ZULLoggerFlushForTesting();
    EXPECT_EQ(capture_.entriesContaining("Parameter text is not valid UTF-8. Parameter dropped: title").size(), 1u);
}

TEST_F(DDVAnalyticsTest, CallsFromSeveralThreadsAreStoredInTheOrderOfTheirTimestamps) {
    ZIZAdu::configure();
    constexpr int kEventsPerThread = 100;
    std::atomic<int> running{2};
    auto logEvents = [&](const char* name) {
        for (int index = 0; index < kEventsPerThread; ++index) DDVAnalytics::logEventWithName(name, nullptr);
        --running;
    };
    std::thread first(logEvents, "first_thread");
    std::thread second(logEvents, "second_thread");
    while (running > 0) foundation::Clock::advance(std::chrono::milliseconds(1));
    first.join();
    second.join();
    drain();

    auto events = testsupport::storedEvents(database());
    ASSERT_EQ(events.size(), 2u * kEventsPerThread);
    for (std::size_t index = 1; index < events.size(); ++index)
        ASSERT_LE(events[index - 1].timestamp, events[index].timestamp) << "row " << index;
}

TEST_F(DDVAnalyticsTest, SettingAPropertyAgainReplacesItsValueAndTime) {
    ZIZAdu::configure();
    DDVAnalytics::setUserPropertyString("1", "profiles_chrome");
    foundation::Clock::advance(std::chrono::seconds(2));
    DDVAnalytics::setUserPropertyString("4", "profiles_chrome");
    drain();

    auto properties = testsupport::storedUserProperties(database());
    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties[0].value, "4");
    EXPECT_EQ(properties[0].setTimestamp, kStartMillis + 2000);
}

TEST_F(DDVAnalyticsTest, AnUnreadableDatabaseFileLosesTheEventWithoutHarm) {
    home_.write(std::filesystem::relative(database(), home_.path()), "this is not a database, just text\n");
    ZIZAdu::configure();
    DDVAnalytics::logEventWithName("open_search", nullptr);
    DDVAnalytics::setUserPropertyString("1", "enabled_browsers");
    drain();

    EXPECT_EQ(testsupport::readFile(database()), "this is not a database, just text\n");
    EXPECT_EQ(monitorLines().size(), 2u);
}

TEST_F(DDVAnalyticsTest, TheDatabaseIsTheOwnersAloneAndNeverALinksTarget) {
    testsupport::ScopedUmask umask(022);
    std::filesystem::create_directories(database().parent_path());
    std::filesystem::create_symlink(home_.path() / "planted", database());
    ZIZAdu::configure();
    DDVAnalytics::logEventWithName("open_search", nullptr);
    drain();
    EXPECT_FALSE(std::filesystem::exists(home_.path() / "planted"));
    std::filesystem::remove(database());
    DDVAnalytics::logEventWithName("open_search", nullptr);
    drain();
    EXPECT_EQ(testsupport::permissionsOf(database()), 0600);
    EXPECT_EQ(testsupport::permissionsOf(database().parent_path()), 0700);
}

}  // namespace
