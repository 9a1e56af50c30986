#include "app/bookmarks/BookmarkAggregator.hpp"
#include "app/bookmarks/SearchScorer.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/app/bookmarks/PlainSearch.hpp"

#include <gtest/gtest.h>

#include <random>

using namespace kestrelvault;

namespace {

class ListProvider final : public BookmarkProvider {
public:
    explicit ListProvider(std::vector<Bookmark> bookmarks) : bookmarks_(std::move(bookmarks)) {}
    BrowserType browserType() const override { return BrowserType::chrome; }
    bool canAccess() const override { return true; }
    BookmarkList loadBookmarks() const override { return bookmarks_; }
    std::vector<BrowserProfile> profiles() const override { return {}; }

private:
    std::vector<Bookmark> bookmarks_;
};

Bookmark bookmark(std::string name, std::string url, std::string folderPath, int serial) {
    return Bookmark{"chrome:Default:" + url + "#" + std::to_string(serial),
                    std::move(name),
                    std::move(url),
                    std::move(folderPath),
                    BrowserType::chrome,
                    "Default",
                    "Default",
                    std::nullopt};
}

std::vector<std::string> labels(const std::vector<Bookmark>& bookmarks) {
    std::vector<std::string> out;
    for (auto& entry : bookmarks) out.push_back(entry.id);
    return out;
}

class SearchAgreement : public ::testing::Test {
protected:
    std::shared_ptr<BookmarkAggregator> loaded(std::vector<Bookmark> bookmarks) {
        auto aggregator =
            BookmarkAggregator::makeWithProviders({std::make_shared<ListProvider>(std::move(bookmarks))});
        aggregator->loadAll();
        EXPECT_TRUE(foundation::RunLoop::main()->runUntilIdle());
        return aggregator;
    }
};

// Pieces whose normalisation, segmentation or case behave unusually, mixed with plain ones.
const std::vector<std::string> pieces = {
    "a", "b", "g", "h", "A", "B", "G", "H", "ab", "gh", "e", "\u00E9", "e\u0301", "q\u0301", "\u0301", " ", " ",
    "\t", "\u3000", "\u00A0", "\u2003", "/", ".", "-", "_", "\n", "\r\n", "\r", "\u00DF", "ss", "SS", "\u1E9E",
    "\u0130", "i", "I", "i\u0307", "\uFB01", "fi", "\U0001F468\u200D\U0001F469\u200D\U0001F467", "\U0001F468",
    "\u200D", "\U0001F1FA\U0001F1F8", "\U0001F1FA", "\U0001F1F8", "\u3042", "\u30A2", "\uFF71", "\uFF8A\uFF9F",
    "\u30D1", "\u3071", "\u30FC", "\u309F", "\u309B", "\u3099", "\u03A3", "\u03C3", "\u03C2", "\uFF21", "\uFF41",
    "\u01C5", "\U0001F150", "\u00AA", "\u0149", "\u2460", "\u3302", "\u1100\u1161", "\uAC00", "\u0915\u094D",
    "\u0937", "x", "y", "z", "0", "1", "", "\u00B4", "\u00A8", "\u309B", "\uFF9E", "\u3094", "\u3095", "\u0345",
    "\u1F88", "\u212A", "\u2025", "\uFF0F", "a\u0308", "\u00C4", "\u0308", "1\uFE0F\u20E3", "\u0344", "\u0958",
    "\u0F73", "\u3031", "\u309D", "\u30FD", "\uFE0F",
};

std::string randomText(std::mt19937& random, int maximumPieces) {
    std::uniform_int_distribution<int> count(0, maximumPieces), pick(0, static_cast<int>(pieces.size()) - 1);
    std::string text;
    for (int index = count(random); index > 0; --index) text += pieces[pick(random)];
    return text;
}

TEST_F(SearchAgreement, PreparedSearchRanksAsThePlainAlgorithm) {
    constexpr int rounds = 20, queriesPerRound = 20;
    std::mt19937 random(20261207);
    for (int round = 0; round < rounds; ++round) {
        std::vector<Bookmark> bookmarks;
        std::uniform_int_distribution<int> size(0, 45);
        int count = size(random);
        for (int index = 0; index < count; ++index)
            bookmarks.push_back(
                bookmark(randomText(random, 5), randomText(random, 4), randomText(random, 3), index));
        // Duplicates, so that ties around the cut of 20 are common.
        for (int index = 0; index < count / 3; ++index) {
            auto copy = bookmarks[static_cast<std::size_t>(index)];
            copy.id += "+";
            bookmarks.push_back(copy);
        }
        auto aggregator = loaded(bookmarks);
        for (int query = 0; query < queriesPerRound; ++query) {
            std::string text = randomText(random, 4);
            for (bool fuzzy : {true, false}) {
                aggregator->profileSettings()->fuzzySearchEnabled = fuzzy;
                ASSERT_EQ(labels(aggregator->search(text)), labels(plain::search(bookmarks, text, fuzzy)))
                    << "round " << round << " query [" << text << "] fuzzy " << fuzzy;
            }
        }
    }
}

// Large enough for the search to score several pieces, in many runs, on several threads:
// ties spread over all of them must still break by load order, across the cut of 20 too.
TEST_F(SearchAgreement, SearchOverManyPiecesRanksAsThePlainAlgorithm) {
    const std::vector<std::string> names = {"Project Notes", "Projects", "Notes on a project", "Pro Tips",
                                            "プロジェクト", "Release notes", "Garden"};
    std::vector<Bookmark> bookmarks;
    for (int index = 0; index < 17000; ++index)
        bookmarks.push_back(bookmark(names[static_cast<std::size_t>(index * 7919 % 97) % names.size()],
                                     "https://site" + std::to_string(index % 13) + ".org/" + std::to_string(index),
                                     index % 5 == 0 ? "Work/Projects" : "", index));
    auto aggregator = loaded(bookmarks);
    for (const char* query : {"pro note", "ぷろ", "prjnts"})
        for (bool fuzzy : {true, false}) {
            aggregator->profileSettings()->fuzzySearchEnabled = fuzzy;
            EXPECT_EQ(labels(aggregator->search(query)), labels(plain::search(bookmarks, query, fuzzy)))
                << "query [" << query << "] fuzzy " << fuzzy;
        }
}

// Runs of siblings share one placed folder path per piece; runs in each form a folder path
// takes (list text, lower-cased, normalised, clustered) cross a boundary between pieces.
TEST_F(SearchAgreement, FolderRunsAcrossPiecesRankAsThePlainAlgorithm) {
    const std::vector<std::string> folders = {"work/projects", "Work/Réunions", "", "ＷＯＲＫ/メモ", "Work/Notes"};
    std::vector<Bookmark> bookmarks;
    for (int index = 0; index < 9000; ++index)
        bookmarks.push_back(bookmark("Page " + std::to_string(index % 11), "https://s.org/" + std::to_string(index),
                                     folders[static_cast<std::size_t>(index / 7) % folders.size()], index));
    auto aggregator = loaded(bookmarks);
    for (const char* query : {"work", "réunions", "メモ", "notes", "wrk prj"})
        for (bool fuzzy : {true, false}) {
            aggregator->profileSettings()->fuzzySearchEnabled = fuzzy;
            EXPECT_EQ(labels(aggregator->search(query)), labels(plain::search(bookmarks, query, fuzzy)))
                << "query [" << query << "] fuzzy " << fuzzy;
        }
}

TEST_F(SearchAgreement, FuzzyScoreAsThePlainAlgorithm) {
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        auto word = plain::normalize(randomText(random, 3));
        auto text = plain::normalize(randomText(random, 6));
        ASSERT_EQ(SearchScorer::fuzzyScore(word, text), plain::fuzzyScore(word, text))
            << "[" << word << "] in [" << text << "]";
    }
}

}  // namespace
