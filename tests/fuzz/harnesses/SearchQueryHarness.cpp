// Search queries against bookmarks, both from the input: the first line is the query and
// every further line a bookmark ("name<TAB>url<TAB>folder path"). The aggregator's search
// must rank exactly as the plain reference algorithm of the search tests does.
#include "tests/fuzz/harnesses/Harness.hpp"

#include "app/bookmarks/BookmarkAggregator.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/String.hpp"
#include "tests/app/bookmarks/PlainSearch.hpp"

namespace fuzzing {

namespace {

using kestrelvault::Bookmark;

constexpr std::size_t maximumBookmarks = 64;

class ListProvider final : public kestrelvault::BookmarkProvider {
public:
    explicit ListProvider(std::vector<Bookmark> bookmarks) : bookmarks_(std::move(bookmarks)) {}
    kestrelvault::BrowserType browserType() const override { return kestrelvault::BrowserType::chrome; }
    bool canAccess() const override { return true; }
    kestrelvault::BookmarkList loadBookmarks() const override { return kestrelvault::BookmarkList(bookmarks_); }
    std::vector<kestrelvault::BrowserProfile> profiles() const override { return {}; }

private:
    std::vector<Bookmark> bookmarks_;
};

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        auto end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

std::string identifiers(const std::vector<Bookmark>& bookmarks) {
    std::string text;
    for (const auto& bookmark : bookmarks) text += bookmark.id.substr(bookmark.id.rfind('#')) + " ";
    return text;
}

}  // namespace

Finding searchQuery(std::string_view input) {
    // Queries come from a text field and bookmarks from readers that refuse malformed text.
    if (!foundation::isValidUTF8(input)) return std::nullopt;
    auto lines = split(input, '\n');
    std::string query(lines.front());
    std::vector<Bookmark> bookmarks;
    for (std::size_t line = 1; line < lines.size() && bookmarks.size() < maximumBookmarks; ++line) {
        auto fields = split(lines[line], '\t');
        fields.resize(3);
        auto serial = std::to_string(bookmarks.size());
        bookmarks.push_back(Bookmark{"chrome:Default:" + std::string(fields[1]) + "#" + serial, std::string(fields[0]),
                                     std::string(fields[1]), std::string(fields[2]), kestrelvault::BrowserType::chrome,
                                     "Default", "Default", std::nullopt});
    }
    auto aggregator = kestrelvault::BookmarkAggregator::makeWithProviders({std::make_shared<ListProvider>(bookmarks)});
    aggregator->loadAll();
    if (!foundation::RunLoop::main()->runUntilIdle()) return "the load did not finish";
    // Both switch positions, the current one first: one stored change per input.
    auto& fuzzySwitch = aggregator->profileSettings()->fuzzySearchEnabled;
    for (bool fuzzy : {fuzzySwitch.get(), !fuzzySwitch.get()}) {
        if (fuzzySwitch.get() != fuzzy) fuzzySwitch = fuzzy;
        auto found = aggregator->search(query);
        auto expected = plain::search(bookmarks, query, fuzzy);
        if (found != expected)
            return std::string(fuzzy ? "fuzzy" : "exact") + " search ranks " + identifiers(found) +
                   "where the plain algorithm ranks " + identifiers(expected);
    }
    return std::nullopt;
}

}  // namespace fuzzing
