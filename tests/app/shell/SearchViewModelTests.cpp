#include "analytics/engine/AMSAnalytics.hpp"
#include "analytics/engine/AMSDatabase.hpp"
#include "app/bookmarks/BrowserProfile.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/SearchViewModel.hpp"
#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/appkit/Pasteboard.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/MeasurementRows.hpp"

#include <gtest/gtest.h>

namespace kestrelvault {
namespace {

constexpr const char* kFailedToOpen = "The bookmark could not be opened.";
constexpr const char* kChromeBase = "Library/Application Support/Zadizu/Chrome";

std::string chromeBookmarksJSON(const std::vector<std::pair<std::string, std::string>>& bookmarks) {
    std::string children;
    for (const auto& [name, url] : bookmarks) {
        if (!children.empty()) children += ",";
        children += R"({"type":"url","name":")" + name + R"(","url":")" + url + R"("})";
    }
    return R"({"roots":{"bookmark_bar":{"type":"folder","name":"Bar","children":[)" + children + "]}}}";
}

Bookmark makeBookmark(BrowserType browser, std::string profileDirectory, std::string name, std::string url) {
    Bookmark bookmark;
    bookmark.id = profileIdentifier(browser, profileDirectory) + ":" + url;
    bookmark.name = std::move(name);
    bookmark.url = std::move(url);
    bookmark.browser = browser;
    bookmark.profileDirectory = std::move(profileDirectory);
    bookmark.profileDisplayName = bookmark.profileDirectory;
    return bookmark;
}

class SearchViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        foundation::Clock::installManual();
        testsupport::installMainBundle(
            home_, "Kestrelvault",
            {{"ZadizuService-Info.plist", testsupport::stringDictionaryPlist({{"APP_ID", "1:test:macos:1"}})},
             {"en.lproj/Localizable.strings",
              testsupport::stringDictionaryPlist({{"failed_to_open_bookmark", kFailedToOpen}})}});
        ZIZAdu::configure();
        viewModel_ = SearchViewModel::make();
    }

    void drain() { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle()); }

    // Runs the opening tasks and waits for the launched fake browsers to finish recording.
    void finishOpening() {
        drain();
        appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
        drain();
    }

    void installBrowser(const std::string& name, BrowserType browser) {
        testsupport::installRecordingApplication(home_, name, std::string(bundleIdentifier(browser)));
    }

    void writeChromeProfile(const std::string& directory,
                            const std::vector<std::pair<std::string, std::string>>& bookmarks) {
        home_.write(std::filesystem::path(kChromeBase) / directory / "Bookmarks", chromeBookmarksJSON(bookmarks));
    }

    void loadBookmarks() {
        viewModel_->aggregator()->loadAll([] {});
        drain();
        ASSERT_FALSE(viewModel_->aggregator()->isLoading());
    }

    std::vector<std::string> resultNames() const {
        std::vector<std::string> names;
        for (const auto& bookmark : viewModel_->results.get()) names.push_back(bookmark.name);
        return names;
    }

    std::vector<testsupport::StoredEvent> storedEvents() const {
        return testsupport::storedEvents(AMSDatabase::defaultPath());
    }

    testsupport::TemporaryHome home_;
    std::shared_ptr<SearchViewModel> viewModel_;
};

// MARK: searching

TEST_F(SearchViewModelTest, StartsEmptyAndAQueryYieldsRankedResultsWithTheFirstSelected) {
    EXPECT_TRUE(viewModel_->results.get().empty());
    EXPECT_EQ(viewModel_->selectedIndex.get(), 0);
    writeChromeProfile("Default", {{"Project Notes", "https://notes.example.com/"},
                                   {"Weather", "https://weather.example.com/"},
                                   {"Notebook", "https://example.com/notebook"}});
    loadBookmarks();

    viewModel_->query = std::string("note");

    EXPECT_EQ(resultNames(), (std::vector<std::string>{"Notebook", "Project Notes"}));
    EXPECT_EQ(viewModel_->selectedIndex.get(), 0);
}

TEST_F(SearchViewModelTest, OnlySpacesAndTabsAreTrimmedNotLineBreaks) {
    writeChromeProfile("Default", {{"Line\\nBreak", "https://example.com/a"}, {"Plain", "https://example.com/b"}});
    loadBookmarks();
    struct Case {
        std::string label;
        std::string query;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        // The ranker would list every bookmark for a blank query: an empty list shows it was not asked.
        {"spaces", "   ", {}},
        {"tabs and spaces", "\t \t", {}},
        {"ideographic and no-break spaces", "\u3000\u00a0", {}},
        {"a line break is a query", "\n", {"Line\nBreak"}},
        {"untrimmed words still match", "  plain\t", {"Plain"}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        viewModel_->query = std::string("example");
        viewModel_->moveSelectionDown();
        viewModel_->query = testCase.query;
        EXPECT_EQ(resultNames(), testCase.expected);
        EXPECT_EQ(viewModel_->selectedIndex.get(), 0);
    }
}

TEST_F(SearchViewModelTest, TypingWhileALoadRunsLeavesTheResultsAndSelection) {
    writeChromeProfile("Default", {{"Alpha docs", "https://a.example.com/"}, {"Beta docs", "https://b.example.com/"}});
    loadBookmarks();
    viewModel_->query = std::string("docs");
    viewModel_->moveSelectionDown();
    auto shown = resultNames();

    viewModel_->aggregator()->loadAll([] {});
    ASSERT_TRUE(viewModel_->aggregator()->isLoading());
    viewModel_->query = std::string("alpha");
    EXPECT_EQ(resultNames(), shown);
    EXPECT_EQ(viewModel_->selectedIndex.get(), 1);

    // An empty query still clears at once, load or not.
    viewModel_->query = std::string();
    EXPECT_TRUE(viewModel_->results.get().empty());
    drain();
}

TEST_F(SearchViewModelTest, AssigningTheSameQueryTwiceSearchesOnce) {
    writeChromeProfile("Default", {{"Alpha", "https://a.example.com/"}});
    loadBookmarks();
    int searches = 0;
    auto token = viewModel_->results.observe([&](const std::vector<Bookmark>&) { ++searches; });

    viewModel_->query = std::string("alpha");
    viewModel_->query = std::string("alpha");
    EXPECT_EQ(searches, 1);
    viewModel_->query = std::string("alph");
    viewModel_->query = std::string("alpha");
    EXPECT_EQ(searches, 3);
}

TEST_F(SearchViewModelTest, ResetEmptiesResultsAndSelectionEvenWithAnEmptyQuery) {
    viewModel_->results = {makeBookmark(BrowserType::chrome, "Default", "A", "https://a.example.com/"),
                           makeBookmark(BrowserType::chrome, "Default", "B", "https://b.example.com/")};
    viewModel_->selectedIndex = 1;
    viewModel_->lastError = std::string("earlier failure");

    viewModel_->reset();

    EXPECT_EQ(viewModel_->query.get(), "");
    EXPECT_TRUE(viewModel_->results.get().empty());
    EXPECT_EQ(viewModel_->selectedIndex.get(), 0);
    EXPECT_EQ(viewModel_->lastError.get(), "earlier failure");
}

TEST_F(SearchViewModelTest, BrowserInfoCountsOnlyEnabledInstalledBrowsersAndProfiles) {
    installBrowser("Chrome", BrowserType::chrome);
    installBrowser("Safari", BrowserType::safari);
    writeChromeProfile("Default", {});
    writeChromeProfile("Profile 1", {});
    // Brave's data without its application gives it no entry.
    home_.write("Library/Application Support/BraveSoftware/Brave-Browser/Default/Bookmarks", chromeBookmarksJSON({}));
    home_.write("Library/Application Support/BraveSoftware/Brave-Browser/Work/Bookmarks", chromeBookmarksJSON({}));
    struct Case {
        std::string label;
        std::set<std::string> disabledBrowsers;
        std::set<std::string> disabledProfiles;
        bool multipleBrowsers;
        std::set<std::string> multipleProfiles;
    };
    const std::vector<Case> cases = {
        {"everything on", {}, {}, true, {"chrome"}},
        {"one Chrome profile off", {}, {"chrome:Profile 1"}, true, {}},
        {"Safari off", {"safari"}, {}, false, {"chrome"}},
        {"Chrome off", {"chrome"}, {}, false, {}},
        {"Brave off changes nothing", {"brave"}, {"brave:Work"}, true, {"chrome"}},
    };
    auto settings = ProfileSettings::shared();
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        settings->disabledBrowsers = testCase.disabledBrowsers;
        settings->disabledProfileIDs = testCase.disabledProfiles;

        viewModel_->updateBrowserInfo();

        EXPECT_EQ(viewModel_->hasMultipleBrowsers.get(), testCase.multipleBrowsers);
        EXPECT_EQ(viewModel_->browsersWithMultipleProfiles.get(), testCase.multipleProfiles);
    }
}

// MARK: selection

TEST_F(SearchViewModelTest, SelectionMovesWrapAroundAndAskForScrolling) {
    struct Case {
        std::string label;
        std::size_t count;
        std::int64_t start;
        bool down;
        std::int64_t expected;
        bool scrolls;
    };
    const std::vector<Case> cases = {
        {"down in the middle", 3, 0, true, 1, true},   {"down on the last row", 3, 2, true, 0, true},
        {"up on the first row", 3, 0, false, 2, true}, {"up in the middle", 3, 2, false, 1, true},
        {"down with one row", 1, 0, true, 0, true},    {"up with one row", 1, 0, false, 0, true},
        {"down with no rows", 0, 0, true, 0, false},   {"up with no rows", 0, 0, false, 0, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        std::vector<Bookmark> rows;
        for (std::size_t index = 0; index < testCase.count; ++index)
            rows.push_back(makeBookmark(BrowserType::chrome, "Default", "Row " + std::to_string(index),
                                        "https://example.com/" + std::to_string(index)));
        viewModel_->results = rows;
        viewModel_->selectedIndex = testCase.start;
        viewModel_->scrollToSelection = false;

        if (testCase.down)
            viewModel_->moveSelectionDown();
        else
            viewModel_->moveSelectionUp();

        EXPECT_EQ(viewModel_->selectedIndex.get(), testCase.expected);
        EXPECT_EQ(viewModel_->scrollToSelection, testCase.scrolls);
    }
}

// MARK: copying

TEST_F(SearchViewModelTest, CopiesTheSelectedBookmarkAsURLOrMarkdownLink) {
    struct Case {
        std::string name;
        std::string url;
        std::string markdown;
    };
    const std::vector<Case> cases = {
        {"Plain title", "https://example.com/page", "[Plain title](https://example.com/page)"},
        {"Docs [v2] ]odd[", "https://example.com/wiki/A_(b)_(c)",
         "[Docs \\[v2\\] \\]odd\\[](https://example.com/wiki/A_%28b%29_%28c%29)"},
        {"Back\\slash *stays*", "https://example.com/?q=a%20b", "[Back\\slash *stays*](https://example.com/?q=a%20b)"},
    };
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        viewModel_->results = {makeBookmark(BrowserType::chrome, "Default", "Other", "https://other.example.com/"),
                               makeBookmark(BrowserType::chrome, "Default", testCase.name, testCase.url)};
        viewModel_->selectedIndex = 1;
        pasteboard->setString("stale", "public.html");

        viewModel_->copySelectedURL();
        EXPECT_EQ(pasteboard->stringForType(appkit::NSPasteboardTypeString), testCase.url);
        EXPECT_FALSE(pasteboard->stringForType("public.html"));  // cleared first

        viewModel_->copySelectedMarkdown();
        EXPECT_EQ(pasteboard->stringForType(appkit::NSPasteboardTypeString), testCase.markdown);
    }
}

TEST_F(SearchViewModelTest, AnInvalidSelectionLeavesThePasteboardAndOpensNothing) {
    installBrowser("Chrome", BrowserType::chrome);
    auto pasteboard = appkit::Pasteboard::generalPasteboard();
    pasteboard->setString("kept", appkit::NSPasteboardTypeString);
    const std::vector<std::pair<std::size_t, std::int64_t>> cases = {{0, 0}, {2, 2}, {2, -1}, {1, 7}};
    for (const auto& [count, index] : cases) {
        SCOPED_TRACE(std::to_string(count) + " rows, index " + std::to_string(index));
        std::vector<Bookmark> rows;
        for (std::size_t row = 0; row < count; ++row)
            rows.push_back(makeBookmark(BrowserType::chrome, "Default", "Row", "https://example.com/"));
        viewModel_->results = rows;
        viewModel_->selectedIndex = index;
        auto changes = pasteboard->changeCount();

        viewModel_->copySelectedURL();
        viewModel_->copySelectedMarkdown();
        viewModel_->openSelected();

        EXPECT_EQ(pasteboard->changeCount(), changes);
        EXPECT_EQ(pasteboard->stringForType(appkit::NSPasteboardTypeString), "kept");
    }
    finishOpening();
    EXPECT_TRUE(storedEvents().empty());
    EXPECT_TRUE(testsupport::recordedLaunches(home_, "Chrome").empty());
}

// MARK: opening

TEST_F(SearchViewModelTest, AChromeBookmarkOpensInANewInstanceWithItsProfileAndTheStoredURL) {
    installBrowser("Chrome", BrowserType::chrome);
    const std::string url = "https://example.com/a%20b?q=1&r=(x)#part";
    viewModel_->results = {makeBookmark(BrowserType::chrome, "Default", "Other", "https://other.example.com/"),
                           makeBookmark(BrowserType::chrome, "Profile 1", "Wanted", url)};
    viewModel_->selectedIndex = 1;

    viewModel_->openSelected();
    finishOpening();

    EXPECT_EQ(testsupport::recordedLaunches(home_, "Chrome"),
              (std::vector<std::vector<std::string>>{{"--profile-directory=Profile 1", url}}));
    EXPECT_EQ(viewModel_->lastError.get(), std::nullopt);
}

TEST_F(SearchViewModelTest, EachBrowserIsHandedTheURLItsOwnWay) {
    struct Case {
        std::string application;
        BrowserType browser;
        std::vector<std::vector<std::string>> launches;
    };
    const std::string url = "https://example.com/page";
    const std::vector<Case> cases = {
        {"Brave", BrowserType::brave, {{"--profile-directory=Work", url}}},
        {"Edge", BrowserType::edge, {{"--profile-directory=Work", url}}},
        {"Safari", BrowserType::safari, {{url}}},
        {"Firefox", BrowserType::firefox, {}},
    };
    for (const auto& testCase : cases) installBrowser(testCase.application, testCase.browser);
    for (const auto& testCase : cases) viewModel_->openBookmark(makeBookmark(testCase.browser, "Work", "Page", url));
    finishOpening();

    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.application);
        EXPECT_EQ(testsupport::recordedLaunches(home_, testCase.application), testCase.launches);
    }
    EXPECT_EQ(viewModel_->lastError.get(), std::nullopt);
    std::vector<std::string> browsers;
    for (const auto& event : storedEvents()) browsers.push_back(event.parameters);
    EXPECT_EQ(browsers, (std::vector<std::string>{R"({"browser":"brave"})", R"({"browser":"edge"})",
                                                  R"({"browser":"safari"})", R"({"browser":"firefox"})"}));
}

TEST_F(SearchViewModelTest, ABrowserThatIsNotInstalledReportsTheFailureAndIsStillCounted) {
    installBrowser("Chrome", BrowserType::chrome);
    darwin::LogCapture capture;
    viewModel_->openBookmark(makeBookmark(BrowserType::brave, "Default", "Page", "https://example.com/"));
    EXPECT_EQ(viewModel_->lastError.get(), kFailedToOpen);
    finishOpening();
    EXPECT_TRUE(capture.entriesContaining("[Kestrelvault] Error: ").empty());

    auto events = storedEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].name, "open_bookmark");
    EXPECT_EQ(events[0].origin, "app");
    EXPECT_EQ(events[0].parameters, R"({"browser":"brave"})");
    EXPECT_TRUE(testsupport::recordedLaunches(home_, "Chrome").empty());
}

TEST_F(SearchViewModelTest, AURLThatDoesNotParseOrWouldPassForASwitchOpensNothing) {
    installBrowser("Chrome", BrowserType::chrome);
    darwin::LogCapture capture;
    const std::vector<std::string> urls = {"https://exa mple.com/", "", "--renderer-cmd-prefix=/bin/sh",
                                           "-incognito"};
    for (const auto& url : urls) {
        SCOPED_TRACE(url);
        viewModel_->lastError = std::nullopt;
        viewModel_->openBookmark(makeBookmark(BrowserType::chrome, "Default", "Broken", url));
        EXPECT_EQ(viewModel_->lastError.get(), kFailedToOpen);
    }
    finishOpening();

    EXPECT_TRUE(testsupport::recordedLaunches(home_, "Chrome").empty());
    EXPECT_EQ(storedEvents().size(), urls.size());
    EXPECT_TRUE(capture.entriesContaining("[Kestrelvault] Error: ").empty());
}

TEST_F(SearchViewModelTest, ALaunchFailureIsLoggedAndShownAfterTheCallReturned) {
    auto bundle =
        testsupport::installRecordingApplication(home_, "Chrome", std::string(bundleIdentifier(BrowserType::chrome)));
    std::filesystem::remove(bundle / "Contents" / "MacOS" / "Chrome");
    darwin::LogCapture capture;
    // The launch completes on a worker; the error must reach the view's state on the main thread.
    std::vector<bool> setOnMainThread;
    auto token = viewModel_->lastError.observe(
        [&](const std::optional<std::string>&) { setOnMainThread.push_back(dispatch::isMainThread()); });

    viewModel_->openBookmark(makeBookmark(BrowserType::chrome, "Default", "Page", "https://example.com/"));
    EXPECT_EQ(viewModel_->lastError.get(), std::nullopt);  // the opening finishes later
    finishOpening();

    EXPECT_EQ(viewModel_->lastError.get(), kFailedToOpen);
    EXPECT_EQ(setOnMainThread, std::vector<bool>{true});
    auto lines = capture.entriesContaining("[Kestrelvault] Error: ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(
        lines[0].message.rfind("[Kestrelvault] Error: The application \u201cChrome.app\u201d could not be launched", 0),
        0u)
        << lines[0].message;
    EXPECT_EQ(lines[0].type, darwin::os_log_type_t::error);
}

}  // namespace
}  // namespace kestrelvault
