#include "app/bookmarks/BookmarkAggregator.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/app/bookmarks/ApplicationResources.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>

using namespace kestrelvault;
using namespace fixtures;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

// A reader with fixed answers; its load can be held until a gate opens.
class FakeProvider final : public BookmarkProvider {
public:
    FakeProvider(BrowserType browser, std::vector<Bookmark> bookmarks, std::vector<BrowserProfile> profiles = {})
        : browser_(browser), bookmarks_(std::move(bookmarks)), profiles_(std::move(profiles)) {}

    BrowserType browserType() const override { return browser_; }
    bool canAccess() const override { return true; }
    BookmarkList loadBookmarks() const override {
        ++loads;
        if (gate.valid()) gate.wait();
        return bookmarks_;
    }
    std::vector<BrowserProfile> profiles() const override { return profiles_; }

    mutable std::atomic<int> loads{0};
    std::shared_future<void> gate;

private:
    BrowserType browser_;
    std::vector<Bookmark> bookmarks_;
    std::vector<BrowserProfile> profiles_;
};

Bookmark bookmark(BrowserType browser, const std::string& directory, const std::string& name,
                  const std::string& folderPath = "") {
    std::string url = "https://example.com/" + name;
    return Bookmark{profileIdentifier(browser, directory) + ":" + url,
                    name,
                    url,
                    folderPath,
                    browser,
                    directory,
                    directory,
                    std::nullopt};
}

std::vector<std::string> names(const std::vector<Bookmark>& bookmarks) {
    std::vector<std::string> out;
    for (auto& entry : bookmarks) out.push_back(entry.name);
    return out;
}

class Aggregator : public ::testing::Test {
protected:
    void SetUp() override {
        searchOnlyHomeApplications(home());
        useApplicationResources();
    }

    void loadAndWait(BookmarkAggregator& aggregator) {
        bool done = false;
        aggregator.loadAll([&] { done = true; });
        ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
        ASSERT_TRUE(done);
    }
};

TEST_F(Aggregator, LoadsEveryBrowserOfAFixtureHome) {
    auto chrome = chromiumBase("chrome");
    writeFile(chrome / "Default" / "Bookmarks",
              chromiumBookmarks({chromiumURL("Chrome Personal", "https://p/")}).dump());
    writeFile(chrome / "Profile 1" / "Bookmarks",
              chromiumBookmarks({chromiumFolder("Work", {chromiumURL("Chrome Work", "https://w/")})}).dump());
    writeFile(
        chrome / "Local State",
        json{{"profile", {{"info_cache", {{"Default", {{"name", "Personal"}}}, {"Profile 1", {{"name", "Job"}}}}}}}}
            .dump());
    writeFile(chromiumBase("brave") / "Default" / "Bookmarks",
              chromiumBookmarks({chromiumURL("Brave One", "https://b/")}).dump());
    writeFile(
        chromiumBase("brave") / "Local State",
        json{{"profile", {{"info_cache", {{"Default", {{"avatar_icon", "chrome://theme/IDR_PROFILE_AVATAR_5"}}}}}}}}
            .dump());
    writeFile(chromiumBase("edge") / "Default" / "Bookmarks",
              chromiumBookmarks({}, {chromiumURL("Edge One", "https://e/")}).dump());
    writeFile(home() / "Library/Safari/Bookmarks.plist",
              binaryPropertyList(
                  json{{"Children", {safariFolder("BookmarksBar", {safariLeaf("Safari One", "https://s/")})}}}));
    installApplication(home(), "Chrome", "com.zadizu.Chrome");
    installApplication(home(), "Brave Browser", "com.brave.Browser");
    installApplication(home(), "Safari", "com.apple.Safari");

    auto aggregator = BookmarkAggregator::make();
    loadAndWait(*aggregator);
    EXPECT_THAT(names(aggregator->allBookmarks()),
                UnorderedElementsAre("Chrome Personal", "Chrome Work", "Brave One", "Edge One", "Safari One"));
    auto entries = aggregator->browserEntries();
    ASSERT_EQ(entries.size(), 3u) << "Edge is not installed";
    EXPECT_EQ(entries[0].id, "chrome");
    EXPECT_THAT(entries[0].profiles,
                UnorderedElementsAre(BrowserProfile::make(BrowserType::chrome, "Default", "Personal"),
                                     BrowserProfile::make(BrowserType::chrome, "Profile 1", "Job")));
    EXPECT_EQ(entries[1].id, "brave");
    EXPECT_EQ(
        entries[2],
        (BookmarkAggregator::BrowserEntry{
            "safari", BrowserType::safari, {BrowserProfile::make(BrowserType::safari, "Default", "Safari")}, true}));
    auto found = aggregator->search("chrome work");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].folderPath, "Work");
    EXPECT_EQ(found[0].profileDisplayName, "Job");
}

TEST_F(Aggregator, UnreadableSafariIsListedButContributesNothing) {
    installApplication(home(), "Safari", "com.apple.Safari");
    auto aggregator = BookmarkAggregator::make();
    loadAndWait(*aggregator);
    auto entries = aggregator->browserEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].canAccess);
    EXPECT_EQ(entries[0].profiles.size(), 1u);
    EXPECT_THAT(aggregator->allBookmarks(), IsEmpty());
}

TEST_F(Aggregator, SwitchesFilterLoadsAndSurviveWhileTheirProfilesExist) {
    auto chrome = std::make_shared<FakeProvider>(
        BrowserType::chrome,
        std::vector<Bookmark>{bookmark(BrowserType::chrome, "Default", "c1"),
                              bookmark(BrowserType::chrome, "Work", "c2")},
        std::vector<BrowserProfile>{BrowserProfile::make(BrowserType::chrome, "Default", "D"),
                                    BrowserProfile::make(BrowserType::chrome, "Work", "W")});
    auto brave = std::make_shared<FakeProvider>(
        BrowserType::brave, std::vector<Bookmark>{bookmark(BrowserType::brave, "Default", "b1")},
        std::vector<BrowserProfile>{BrowserProfile::make(BrowserType::brave, "Default", "D")});
    auto aggregator = BookmarkAggregator::makeWithProviders({chrome, brave});
    auto settings = aggregator->profileSettings();
    settings->disabledProfileIDs = std::set<std::string>{"chrome:Work", "brave:Default", "chrome:Gone"};
    settings->disabledBrowsers = std::set<std::string>{"brave", "firefox"};

    loadAndWait(*aggregator);
    EXPECT_THAT(names(aggregator->allBookmarks()), ElementsAre("c1"));
    EXPECT_EQ(brave->loads.load(), 0) << "a disabled browser's reader is not started";
    EXPECT_EQ(settings->disabledProfileIDs.get(), (std::set<std::string>{"chrome:Work", "brave:Default"}));
    EXPECT_EQ(settings->disabledBrowsers.get(), (std::set<std::string>{"brave"}));
    EXPECT_THAT(foundation::UserDefaults::standardUserDefaults()->stringArrayForKey("disabledProfiles").value(),
                UnorderedElementsAre("chrome:Work", "brave:Default"));
}

TEST_F(Aggregator, AllBrowsersDisabledStartsNoReaderYetPrunesAndEmpties) {
    auto chrome = std::make_shared<FakeProvider>(BrowserType::chrome,
                                                 std::vector<Bookmark>{bookmark(BrowserType::chrome, "Default", "c1")});
    auto aggregator = BookmarkAggregator::makeWithProviders({chrome});
    loadAndWait(*aggregator);
    ASSERT_EQ(aggregator->allBookmarks().size(), 1u);
    aggregator->profileSettings()->disabledBrowsers = std::set<std::string>{"chrome"};
    aggregator->profileSettings()->disabledProfileIDs = std::set<std::string>{"chrome:Default"};
    int assignments = 0;
    auto token = aggregator->observeAllBookmarks([&](const auto&) { ++assignments; });
    loadAndWait(*aggregator);
    EXPECT_EQ(chrome->loads.load(), 1);
    EXPECT_THAT(aggregator->allBookmarks(), IsEmpty());
    EXPECT_EQ(assignments, 1);
    EXPECT_THAT(aggregator->profileSettings()->disabledProfileIDs.get(), IsEmpty()) << "no profile lists it";
    EXPECT_FALSE(aggregator->isLoading());
}

TEST_F(Aggregator, OverlappingLoadsFallWithTheFirstAndTheLastSetsTheBookmarks) {
    std::promise<void> release;
    auto slow = std::make_shared<FakeProvider>(BrowserType::chrome,
                                               std::vector<Bookmark>{bookmark(BrowserType::chrome, "Default", "slow")});
    slow->gate = release.get_future().share();
    auto fast = std::make_shared<FakeProvider>(BrowserType::brave,
                                               std::vector<Bookmark>{bookmark(BrowserType::brave, "Default", "fast")});
    auto aggregator = BookmarkAggregator::makeWithProviders({slow, fast});
    auto settings = aggregator->profileSettings();
    std::vector<std::string> events;
    auto loading = aggregator->observeIsLoading([&](bool value) { events.push_back(value ? "loading" : "idle"); });
    auto bookmarks =
        aggregator->observeAllBookmarks([&](const auto& list) { events.push_back("set " + names(list).at(0)); });

    settings->disabledBrowsers = std::set<std::string>{"brave"};
    aggregator->loadAll([&] { events.push_back("first done"); });  // only the slow reader
    settings->disabledBrowsers = std::set<std::string>{"chrome"};
    aggregator->loadAll([&] {  // only the fast reader; lets the slow one finish afterwards
        events.push_back("second done");
        EXPECT_FALSE(aggregator->isLoading()) << "falls when the first load ends, though another still runs";
        release.set_value();
    });
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_THAT(events,
                ElementsAre("loading", "loading", "set fast", "idle", "second done", "set slow", "idle", "first done"));
    EXPECT_THAT(names(aggregator->allBookmarks()), ElementsAre("slow"));
}

TEST_F(Aggregator, ProvidersListsKeepTheirOwnOrderWithinTheResult) {
    std::vector<Bookmark> many;
    for (int index = 0; index < 50; ++index)
        many.push_back(bookmark(BrowserType::chrome, "Default", "n" + std::to_string(index)));
    auto chrome = std::make_shared<FakeProvider>(BrowserType::chrome, many);
    auto edge = std::make_shared<FakeProvider>(BrowserType::edge,
                                               std::vector<Bookmark>{bookmark(BrowserType::edge, "Default", "e")});
    auto aggregator = BookmarkAggregator::makeWithProviders({chrome, edge});
    loadAndWait(*aggregator);
    auto loaded = names(aggregator->allBookmarks());
    ASSERT_EQ(loaded.size(), 51u);
    loaded.erase(std::remove(loaded.begin(), loaded.end(), "e"), loaded.end());
    EXPECT_EQ(loaded, names(many));
}

class AggregatorSearch : public Aggregator {
protected:
    std::shared_ptr<BookmarkAggregator> aggregatorWith(std::vector<Bookmark> bookmarks) {
        auto provider = std::make_shared<FakeProvider>(BrowserType::chrome, std::move(bookmarks));
        auto aggregator = BookmarkAggregator::makeWithProviders({provider});
        loadAndWait(*aggregator);
        return aggregator;
    }
};

TEST_F(AggregatorSearch, BlankQueriesReturnTheFirstTwentyUnscored) {
    std::vector<Bookmark> bookmarks;
    for (int index = 0; index < 30; ++index)
        bookmarks.push_back(bookmark(BrowserType::chrome, "Default", "b" + std::to_string(index)));
    auto aggregator = aggregatorWith(bookmarks);
    for (const char* query : {"", "   ", "\t \u3000", "\u00A0"}) {
        auto found = aggregator->search(query);
        ASSERT_EQ(found.size(), 20u) << query;
        EXPECT_EQ(found.front().name, "b0");
        EXPECT_EQ(found.back().name, "b19");
    }
}

TEST_F(AggregatorSearch, TiesKeepLoadOrderAcrossTheCut) {
    std::vector<Bookmark> bookmarks;
    // 30 equal matches (name contains "note": 80) around a few better ones (name starts: 100).
    for (int index = 0; index < 30; ++index)
        bookmarks.push_back(bookmark(BrowserType::chrome, "Default", "my note " + std::to_string(index)));
    bookmarks.insert(bookmarks.begin() + 25, bookmark(BrowserType::chrome, "Default", "notes late"));
    bookmarks.push_back(bookmark(BrowserType::chrome, "Default", "unrelated"));
    auto aggregator = aggregatorWith(bookmarks);
    auto found = names(aggregator->search("note"));
    ASSERT_EQ(found.size(), 20u);
    EXPECT_EQ(found[0], "notes late");
    for (int rank = 1; rank < 20; ++rank) EXPECT_EQ(found[rank], "my note " + std::to_string(rank - 1));
}

TEST_F(AggregatorSearch, TheCutAtTwentyAroundTiesAndALateBetterMatch) {
    // "my note n" scores 80 (contained); "note n" scores 100 (starts with the word).
    auto numbered = [](const std::string& prefix, int count) {
        std::vector<Bookmark> list;
        for (int index = 0; index < count; ++index)
            list.push_back(bookmark(BrowserType::chrome, "Default", prefix + std::to_string(index)));
        return list;
    };
    auto firstNames = [&](const std::string& prefix, int count) { return names(numbered(prefix, count)); };
    struct Case {
        const char* label;
        std::vector<Bookmark> bookmarks;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases = {
        {"exactly twenty equal", numbered("my note ", 20), firstNames("my note ", 20)},
        {"twenty-one equal: the last one is cut", numbered("my note ", 21), firstNames("my note ", 20)},
    };
    auto late = numbered("my note ", 20);
    late.push_back(bookmark(BrowserType::chrome, "Default", "note late"));
    auto expectedLate = firstNames("my note ", 19);
    expectedLate.insert(expectedLate.begin(), "note late");
    cases.push_back({"a better twenty-first enters first and pushes the last tie out", late, expectedLate});
    for (auto& entry : cases)
        EXPECT_EQ(names(aggregatorWith(entry.bookmarks)->search("note")), entry.expected) << entry.label;
}

TEST_F(AggregatorSearch, QueriesAreNormalisedAndSplitAtSpaces) {
    auto aggregator =
        aggregatorWith({bookmark(BrowserType::chrome, "Default", "Project Notes"),
                        bookmark(BrowserType::chrome, "Default", "\u30D7\u30ED\u30B8\u30A7\u30AF\u30C8 Plan"),
                        bookmark(BrowserType::chrome, "Default", "GitHub", "Dev")});
    struct Case {
        const char* query;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"pro note", {"Project Notes"}},
        {"  PRO   NOTE  ", {"Project Notes"}},
        {"\uFF50\uFF52\uFF4F\u3000\uFF4E\uFF4F\uFF54\uFF45", {"Project Notes"}},  // full-width, ideographic space
        {"\u3077\u308D\u3058\u3047\u304F\u3068", {"\u30D7\u30ED\u30B8\u30A7\u30AF\u30C8 Plan"}},  // Hiragana
        {"pro\tnote", {}},  // a tab stays inside the word
        {"gh", {"GitHub"}},
        {"dev github", {"GitHub"}},
    };
    for (auto& entry : cases) EXPECT_EQ(names(aggregator->search(entry.query)), entry.expected) << entry.query;
    aggregator->profileSettings()->fuzzySearchEnabled = false;
    EXPECT_THAT(aggregator->search("gh"), IsEmpty());
}

}  // namespace

namespace {

TEST_F(AggregatorSearch, LargeListsStayAlignedWithTheirPreparedFields) {
    // Large enough to be prepared in several pieces; the marked ones sit at piece edges.
    std::vector<Bookmark> bookmarks;
    const std::set<std::size_t> marked = {0, 8191, 8192, 16383, 16384, 19999};
    for (std::size_t index = 0; index < 20000; ++index)
        bookmarks.push_back(bookmark(BrowserType::chrome, "Default",
                                     (marked.count(index) ? "kestrel " : "item ") + std::to_string(index)));
    auto aggregator = aggregatorWith(bookmarks);
    EXPECT_THAT(names(aggregator->search("kestrel")), ElementsAre("kestrel 0", "kestrel 8191", "kestrel 8192",
                                                                  "kestrel 16383", "kestrel 16384", "kestrel 19999"));
    EXPECT_THAT(names(aggregator->search("item 19998")), ElementsAre("item 19998"));
}

TEST_F(AggregatorSearch, ADisabledProfileLeavesSearchesAndTheRestStayAligned) {
    // Every third bookmark belongs to a switched-off profile, in every prepared piece.
    std::vector<Bookmark> bookmarks;
    for (std::size_t index = 0; index < 20000; ++index)
        bookmarks.push_back(bookmark(BrowserType::chrome, index % 3 == 1 ? "Work" : "Default",
                                     (index % 1000 == 0 || index % 1000 == 1 ? "kestrel " : "item ") +
                                         std::to_string(index)));
    auto provider = std::make_shared<FakeProvider>(
        BrowserType::chrome, bookmarks,
        std::vector<BrowserProfile>{BrowserProfile::make(BrowserType::chrome, "Default", "D"),
                                    BrowserProfile::make(BrowserType::chrome, "Work", "W")});
    auto aggregator = BookmarkAggregator::makeWithProviders({provider});
    aggregator->profileSettings()->disabledProfileIDs = std::set<std::string>{"chrome:Work"};
    loadAndWait(*aggregator);
    ASSERT_EQ(aggregator->allBookmarks().size(), 20000u - 6667u);
    std::vector<std::string> expected;
    for (std::size_t index = 0; index < 20000; index += 1000)
        for (std::size_t marked : {index, index + 1})
            if (marked % 3 != 1 && expected.size() < 20) expected.push_back("kestrel " + std::to_string(marked));
    EXPECT_EQ(names(aggregator->search("kestrel")), expected);
    EXPECT_THAT(names(aggregator->search("item 19998")), ElementsAre("item 19998"));
    EXPECT_THAT(aggregator->search("item 19999"), IsEmpty()) << "19999 belongs to the switched-off profile";
}

}  // namespace

namespace {

TEST_F(Aggregator, CompletionRunsOnceEvenWhenTheAggregatorIsGone) {
    auto chrome = std::make_shared<FakeProvider>(BrowserType::chrome,
                                                 std::vector<Bookmark>{bookmark(BrowserType::chrome, "Default", "c1")});
    int completions = 0;
    {
        auto aggregator = BookmarkAggregator::makeWithProviders({chrome});
        aggregator->loadAll([&] { ++completions; });
    }
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_EQ(completions, 1);
}

}  // namespace
