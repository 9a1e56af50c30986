#pragma once

#include "app/bookmarks/SearchText.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelvault {

// Scores bookmarks against query words. The constants are the ranking itself. Pure
// functions; any thread.
class SearchScorer {
public:
    static constexpr std::int64_t nameStartScore = 100;
    static constexpr std::int64_t nameContainsScore = 80;
    static constexpr std::int64_t urlContainsScore = 40;
    static constexpr std::int64_t folderContainsScore = 30;
    static constexpr std::int64_t fuzzyNameCap = 60;
    static constexpr std::int64_t fuzzyURLCap = 30;
    static constexpr std::int64_t fuzzyFolderCap = 20;
    static constexpr std::size_t resultLimit = 20;

    // The total over all words (already normalised) of the bookmark's raw fields; 0 when
    // any word matches nowhere.
    static std::int64_t matchScore(std::string_view name, std::string_view url, std::string_view folderPath,
                                   const std::vector<std::string>& tokens, bool fuzzy);
    // The same over fields and words already in search form.
    static std::int64_t matchScore(const SearchTextView& name, const SearchTextView& url,
                                   const SearchTextView& folderPath, const std::vector<SearchTextView>& tokens,
                                   bool fuzzy);

    // The total when it is above `floor`, else some value not above it (0 when a word
    // matches nowhere): work that could not lift the total above the floor is skipped.
    // With a floor of 0 this is matchScore.
    static std::int64_t matchScoreAbove(const SearchTextView& name, const SearchTextView& url,
                                        const SearchTextView& folderPath, const std::vector<SearchTextView>& tokens,
                                        bool fuzzy, std::int64_t floor);

    // The word as a subsequence of the text, both normalised: at least twice the word's
    // length in characters, or 0.
    static std::int64_t fuzzyScore(std::string_view word, std::string_view text);
    static std::int64_t fuzzyScore(const SearchTextView& word, const SearchTextView& text);
};

}  // namespace kestrelvault
