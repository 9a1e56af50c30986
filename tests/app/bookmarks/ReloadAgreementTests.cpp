#include "app/bookmarks/BookmarkAggregator.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "tests/app/bookmarks/ApplicationResources.hpp"
#include "tests/app/bookmarks/BookmarkFixtures.hpp"
#include "tests/support/TemporaryHome.hpp"
#include "tests/support/WithoutPrivileges.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <pwd.h>
#include <unistd.h>

using namespace kestrelvault;
using namespace fixtures;

namespace {

namespace fs = std::filesystem;

// Load order between browsers is the order their readers finish; within one it is fixed.
std::map<BrowserType, std::vector<Bookmark>> byBrowser(const BookmarkList& bookmarks) {
    std::map<BrowserType, std::vector<Bookmark>> browsers;
    for (const auto& bookmark : bookmarks) browsers[bookmark.browser].push_back(bookmark);
    return browsers;
}

class ReloadAgreement : public ::testing::Test {
protected:
    void SetUp() override { useApplicationResources(); }

    // Files written here look written an hour ago plus a second per write, so a reader may
    // keep what it read from them, and every write still gives a new state.
    void write(const fs::path& path, const std::string& contents) {
        writeFile(path, contents);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1) + std::chrono::seconds(++writes_));
    }
    void writeChrome(const std::string& profile, const std::string& name) {
        write(chromiumBase("chrome") / profile / "Bookmarks",
              chromiumBookmarks({chromiumFolder("Work", {chromiumURL(name, "https://example.com/" + name)})}).dump());
    }
    void writeSafari(const std::string& name) {
        write(safariPath(), binaryPropertyList(json{{"Children", {safariLeaf(name, "https://example.org/" + name)}}}));
    }
    void writeLocalState(const std::string& defaultName) {
        write(chromiumBase("chrome") / "Local State",
              json{{"profile", {{"info_cache", {{"Default", {{"name", defaultName}}}}}}}}.dump());
    }
    static fs::path safariPath() { return home() / "Library/Safari/Bookmarks.plist"; }

    static void load(BookmarkAggregator& aggregator) {
        aggregator.loadAll();
        ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    }
    // What a load by readers that kept nothing gives.
    static BookmarkList fullLoad() {
        auto fresh = BookmarkAggregator::make();
        load(*fresh);
        return fresh->allBookmarks();
    }

    int writes_ = 0;
};

TEST_F(ReloadAgreement, EveryReloadGivesWhatAFullLoadGives) {
    writeChrome("Default", "alpha");
    writeChrome("Profile 1", "beta");
    writeLocalState("Personal");
    write(chromiumBase("brave") / "Default" / "Bookmarks", chromiumBookmarks({chromiumURL("gamma", "https://g/")}).dump());
    writeSafari("delta");
    auto aggregator = BookmarkAggregator::make();
    load(*aggregator);

    struct Step {
        const char* change;
        std::function<void()> make;
    };
    const std::vector<Step> steps = {
        {"nothing", [] {}},
        {"a file changed in place, same size", [&] { writeChrome("Default", "alphx"); }},
        {"a file replaced by rename",
         [&] {
             auto brave = chromiumBase("brave") / "Default";
             write(brave / "Bookmarks.new", chromiumBookmarks({chromiumURL("epsilon", "https://e/")}).dump());
             fs::rename(brave / "Bookmarks.new", brave / "Bookmarks");
         }},
        {"a profile's file removed", [] { fs::remove(chromiumBase("chrome") / "Profile 1" / "Bookmarks"); }},
        {"a profile added", [&] { writeChrome("Profile 2", "zeta"); }},
        {"only the display names changed", [&] { writeLocalState("Home"); }},
        {"the Safari list changed", [&] { writeSafari("theta"); }},
        {"the Safari list removed", [] { fs::remove(safariPath()); }},
    };
    const std::vector<std::string> queries = {"alpha", "beta", "gamma", "delta", "alphx", "epsilon", "zeta", "theta"};
    for (const auto& step : steps) {
        step.make();
        load(*aggregator);
        auto expected = fullLoad();
        EXPECT_EQ(byBrowser(aggregator->allBookmarks()), byBrowser(expected)) << step.change;
        // The search index kept for unchanged files stays aligned with the bookmarks.
        for (const auto& query : queries) {
            std::vector<std::string> found, wanted;
            for (const auto& bookmark : aggregator->search(query)) found.push_back(bookmark.name);
            for (const auto& bookmark : expected)
                if (bookmark.name == query) wanted.push_back(bookmark.name);
            EXPECT_EQ(found, wanted) << step.change << ", query " << query;
        }
    }
}

// The other side of the agreement: a file whose stamp is the same is not read again.
TEST_F(ReloadAgreement, AFileInTheStateItWasReadInIsNotReadAgain) {
    writeChrome("Default", "alpha");
    writeSafari("delta");
    auto aggregator = BookmarkAggregator::make();
    load(*aggregator);
    for (const fs::path& path : {chromiumBase("chrome") / "Default" / "Bookmarks", safariPath()}) {
        auto stamp = fs::last_write_time(path);
        auto contents = *testsupport::readFile(path);
        std::replace(contents.begin(), contents.end(), 'a', 'o');
        std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out) << contents;  // same inode and size
        fs::last_write_time(path, stamp);
    }
    load(*aggregator);
    std::vector<std::string> names;
    for (const auto& bookmark : aggregator->allBookmarks()) names.push_back(bookmark.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "delta"}));
}

TEST_F(ReloadAgreement, AFileMadeUnreadableGivesNothingAtTheNextLoad) {
    writeSafari("delta");
    // The unprivileged user reaches the file and owns it, so that it can take its own read
    // permission away.
    for (const fs::path& folder : {home(), home() / "Library", home() / "Library/Safari"})
        fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
    if (auto* nobody = ::getpwnam("nobody"); nobody && ::geteuid() == 0)
        ASSERT_EQ(::chown(safariPath().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    auto loads = testsupport::withoutPrivileges([] {
        SafariBookmarkProvider provider;
        auto before = provider.loadBookmarks();  // kept by the reader while this list lives
        std::error_code error;
        fs::permissions(safariPath(), fs::perms::none, error);
        return std::int64_t(before.size()) << 8 | std::int64_t(provider.loadBookmarks().size());
    });
    if (loads == testsupport::couldNotDropPrivileges) GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(loads, 1 << 8 | 0) << "one bookmark while readable, none once unreadable";
}

// Loads overlap: each reader keeps and finds what it read while files change between them.
TEST_F(ReloadAgreement, OverlappingReloadsOverChangingFilesEndInAFullLoad) {
    writeChrome("Default", "alpha");
    writeSafari("delta");
    auto aggregator = BookmarkAggregator::make();
    for (int round = 0; round < 6; ++round) {
        aggregator->loadAll();
        writeChrome(round % 2 ? "Default" : "Profile 1", "round" + std::to_string(round));
        writeSafari("safari" + std::to_string(round));
        aggregator->loadAll();
    }
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    load(*aggregator);
    EXPECT_EQ(byBrowser(aggregator->allBookmarks()), byBrowser(fullLoad()));
}

}  // namespace
