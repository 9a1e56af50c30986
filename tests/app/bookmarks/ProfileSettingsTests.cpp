#include "app/bookmarks/ProfileSettings.hpp"
#include "platform/foundation/Array.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrelvault;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

std::shared_ptr<foundation::UserDefaults> defaults() { return foundation::UserDefaults::standardUserDefaults(); }

std::vector<std::string> storedStrings(const std::string& key) {
    return defaults()->stringArrayForKey(key).value_or(std::vector<std::string>{"<not an array of strings>"});
}

class Settings : public ::testing::Test {};

TEST_F(Settings, FirstStartEnablesEverythingAndWritesNothing) {
    auto settings = ProfileSettings::shared();
    EXPECT_THAT(settings->disabledProfileIDs.get(), IsEmpty());
    EXPECT_THAT(settings->disabledBrowsers.get(), IsEmpty());
    EXPECT_TRUE(settings->fuzzySearchEnabled.get());
    for (auto browser : allBrowserTypes) EXPECT_TRUE(settings->isBrowserEnabled(browser));
    for (const char* key : {"disabledProfiles", "disabledBrowsers", "fuzzySearchEnabled"})
        EXPECT_EQ(defaults()->objectForKey(key), nullptr) << key;
}

TEST_F(Settings, StoredValuesAreReadOnceAtStart) {
    struct Case {
        const char* label;
        objc::Id fuzzy;
        objc::Id browsers;
        bool expectedFuzzy;
        std::set<std::string> expectedBrowsers;
    };
    using foundation::Number;
    using foundation::String;
    const std::vector<Case> cases = {
        {"stored false is off", Number::withBool(false), nullptr, false, {}},
        {"stored true is on", Number::withBool(true), nullptr, true, {}},
        {"stored zero reads as off", Number::withInteger(0), nullptr, false, {}},
        {"browsers as strings",
         nullptr,
         foundation::Array::make({String::make("brave"), String::make("edge")}),
         true,
         {"brave", "edge"}},
        {"browsers not an array", nullptr, String::make("brave"), true, {}},
        {"browsers with a number inside",
         nullptr,
         foundation::Array::make({String::make("brave"), Number::withInteger(1)}),
         true,
         {}},
    };
    for (auto& entry : cases) {
        foundation::UserDefaults::resetForTesting();
        ProfileSettings::resetForTesting();
        defaults()->removeObjectForKey("fuzzySearchEnabled");
        defaults()->removeObjectForKey("disabledBrowsers");
        if (entry.fuzzy) defaults()->setObject(entry.fuzzy, "fuzzySearchEnabled");
        if (entry.browsers) defaults()->setObject(entry.browsers, "disabledBrowsers");
        auto settings = ProfileSettings::shared();
        EXPECT_EQ(settings->fuzzySearchEnabled.get(), entry.expectedFuzzy) << entry.label;
        EXPECT_EQ(settings->disabledBrowsers.get(), entry.expectedBrowsers) << entry.label;
    }
}

TEST_F(Settings, TogglingStoresEveryChangeAndTwiceRestores) {
    auto settings = ProfileSettings::shared();
    int notifications = 0;
    auto token = settings->disabledProfileIDs.observe([&](const auto&) { ++notifications; });
    settings->toggleProfile("chrome:Profile 1");
    EXPECT_THAT(storedStrings("disabledProfiles"), ElementsAre("chrome:Profile 1"));
    settings->toggleProfile("chrome:Profile 1");
    EXPECT_THAT(storedStrings("disabledProfiles"), IsEmpty());
    EXPECT_EQ(notifications, 2);

    settings->toggleBrowser(BrowserType::safari);
    EXPECT_FALSE(settings->isBrowserEnabled(BrowserType::safari));
    EXPECT_THAT(storedStrings("disabledBrowsers"), ElementsAre("safari"));

    settings->fuzzySearchEnabled = false;
    EXPECT_EQ(defaults()->objectForKey("fuzzySearchEnabled")->description(),
              foundation::Number::withBool(false)->description());
    EXPECT_FALSE(defaults()->boolForKey("fuzzySearchEnabled"));
}

TEST_F(Settings, AssigningAValueDirectlyStoresIt) {
    auto settings = ProfileSettings::shared();
    settings->disabledBrowsers = std::set<std::string>{"edge"};
    EXPECT_THAT(storedStrings("disabledBrowsers"), ElementsAre("edge"));
    ProfileSettings::resetForTesting();
    EXPECT_EQ(ProfileSettings::shared()->disabledBrowsers.get(), std::set<std::string>{"edge"});
}

TEST_F(Settings, PruningForgetsOnlyStaleSwitchesAndWritesNothingOtherwise) {
    auto settings = ProfileSettings::shared();
    settings->disabledProfileIDs = std::set<std::string>{"chrome:Default", "chrome:Gone"};
    settings->disabledBrowsers = std::set<std::string>{"firefox", "brave"};
    int writes = 0;
    auto profiles = settings->disabledProfileIDs.observe([&](const auto&) { ++writes; });
    auto browsers = settings->disabledBrowsers.observe([&](const auto&) { ++writes; });

    settings->pruneDisabled({"chrome:Default"}, {"chrome", "brave", "edge", "safari"});
    EXPECT_THAT(storedStrings("disabledProfiles"), ElementsAre("chrome:Default"));
    EXPECT_THAT(storedStrings("disabledBrowsers"), ElementsAre("brave"));
    EXPECT_EQ(writes, 2);

    settings->pruneDisabled({"chrome:Default"}, {"chrome", "brave", "edge", "safari"});
    EXPECT_EQ(writes, 2) << "nothing stale, nothing assigned or stored";
}

}  // namespace
