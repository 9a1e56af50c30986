#include "app/bookmarks/SearchScorer.hpp"

#include <algorithm>
#include <optional>

namespace kestrelvault {

namespace {

constexpr std::int64_t matchPoints = 16;
constexpr std::int64_t runStepPoints = 4;
constexpr std::int64_t leadingPenaltyPerCharacter = 5;
constexpr std::int64_t leadingPenaltyCap = 15;

std::int64_t boundaryBonus(std::uint8_t previousClass, std::uint8_t currentClass, bool isFirstCharacter) {
    if (previousClass & SearchText::whitespaceSeparator) return isFirstCharacter ? 20 : 10;
    if (previousClass & SearchText::punctuationSeparator) return isFirstCharacter ? 16 : 8;
    if ((previousClass & SearchText::lowercase) && (currentClass & SearchText::uppercase))
        return isFirstCharacter ? 14 : 7;
    return 0;
}

// The scan over two character sequences; `Characters` gives next(from, wordIndex), the
// next text index holding that word character, and classAt(textIndex).
template <class Characters>
std::int64_t fuzzyScan(const Characters& characters, std::size_t wordLength, std::size_t textLength) {
    if (wordLength == 0 || textLength == 0) return 0;
    std::int64_t score = 0, run = 0;
    std::optional<std::size_t> previous, first;
    std::size_t position = 0;
    for (std::size_t wordIndex = 0; wordIndex < wordLength; ++wordIndex) {
        std::size_t found = characters.next(position, wordIndex);
        if (found >= textLength) return 0;
        score += matchPoints;
        if (previous && found - *previous - 1 >= 1) score -= static_cast<std::int64_t>(found - *previous - 1);
        bool isFirstCharacter = wordIndex == 0;
        std::int64_t bonus =
            found == 0 ? (isFirstCharacter ? 20 : 10)
                       : boundaryBonus(characters.classAt(found - 1), characters.classAt(found), isFirstCharacter);
        if ((previous && found == *previous + 1) || (!previous && found == 0)) {
            ++run;
            score += std::max(runStepPoints * run, bonus);
        } else {
            run = 0;
            score += bonus;
        }
        previous = found;
        if (!first) first = found;
        position = found + 1;
    }
    if (*first >= 1)
        score += std::max(-leadingPenaltyPerCharacter * static_cast<std::int64_t>(*first), -leadingPenaltyCap);
    return score < 2 * static_cast<std::int64_t>(wordLength) ? 0 : score;
}

struct SingleByteCharacters {
    std::string_view word, text;
    // The first index at or after `from` holding the word's character, or the text's length.
    std::size_t next(std::size_t from, std::size_t wordIndex) const {
        // Fields are short: a plain loop beats the setup of a library search.
        char wanted = word[wordIndex];
        while (from < text.size() && text[from] != wanted) ++from;
        return from;
    }
    std::uint8_t classAt(std::size_t textIndex) const { return SearchText::classOfASCII(text[textIndex]); }
};

struct ClusteredCharacters {
    const SearchTextView& word;
    const SearchTextView& text;
    std::size_t next(std::size_t from, std::size_t wordIndex) const {
        auto wanted = word.character(wordIndex);
        while (from < text.characterCount() && text.character(from) != wanted) ++from;
        return from;
    }
    std::uint8_t classAt(std::size_t textIndex) const { return text.characterClass(textIndex); }
};

std::int64_t capped(std::int64_t value, std::int64_t cap) { return std::min(value, cap); }

std::int64_t wordScore(const SearchTextView& name, const SearchTextView& url, const SearchTextView& folderPath,
                       const SearchTextView& word, bool fuzzy) {
    std::int64_t score = 0;
    if (name.contains(word))
        score = name.startsWith(word) ? SearchScorer::nameStartScore : SearchScorer::nameContainsScore;
    if (score < SearchScorer::urlContainsScore && url.contains(word)) score = SearchScorer::urlContainsScore;
    if (score < SearchScorer::folderContainsScore && folderPath.contains(word))
        score = SearchScorer::folderContainsScore;
    if (score > 0 || !fuzzy) return score;
    // A subsequence needs every byte of the word in the text. Fields are tried in the order
    // of their caps, and one is skipped when it cannot beat what is already found.
    auto fuzzyIn = [&](const SearchTextView& text) {
        return (word.byteMask & ~text.byteMask) ? 0 : SearchScorer::fuzzyScore(word, text);
    };
    score = capped(fuzzyIn(name), SearchScorer::fuzzyNameCap);
    if (score < SearchScorer::fuzzyURLCap) score = std::max(score, capped(fuzzyIn(url) / 2, SearchScorer::fuzzyURLCap));
    if (score < SearchScorer::fuzzyFolderCap)
        score = std::max(score, capped(fuzzyIn(folderPath) / 2, SearchScorer::fuzzyFolderCap));
    return score;
}

}  // namespace

std::int64_t SearchScorer::fuzzyScore(const SearchTextView& word, const SearchTextView& text) {
    if (word.isSingleByteCharacters() && text.isSingleByteCharacters())
        return fuzzyScan(SingleByteCharacters{word.text, text.text}, word.text.size(), text.text.size());
    return fuzzyScan(ClusteredCharacters{word, text}, word.characterCount(), text.characterCount());
}

std::int64_t SearchScorer::fuzzyScore(std::string_view word, std::string_view text) {
    auto preparedWord = SearchText::fromNormalized(std::string(word));
    auto preparedText = SearchText::fromNormalized(std::string(text));
    return fuzzyScore(preparedWord.view(), preparedText.view());
}

std::int64_t SearchScorer::matchScore(const SearchTextView& name, const SearchTextView& url,
                                      const SearchTextView& folderPath, const std::vector<SearchTextView>& tokens,
                                      bool fuzzy) {
    return matchScoreAbove(name, url, folderPath, tokens, fuzzy, 0);
}

std::int64_t SearchScorer::matchScoreAbove(const SearchTextView& name, const SearchTextView& url,
                                           const SearchTextView& folderPath, const std::vector<SearchTextView>& tokens,
                                           bool fuzzy, std::int64_t floor) {
    if (tokens.empty()) return 0;
    // Every word must match somewhere; a word with a byte no field has cannot.
    std::uint64_t present = name.byteMask | url.byteMask | folderPath.byteMask;
    for (const auto& word : tokens)
        if (word.byteMask & ~present) return 0;
    std::int64_t total = 0;
    for (std::size_t index = 0; index < tokens.size(); ++index) {
        auto laterBest = static_cast<std::int64_t>(tokens.size() - index - 1) * nameStartScore;
        if (total + nameStartScore + laterBest <= floor) return 0;
        bool fuzzyCanMatter = fuzzy && total + fuzzyNameCap + laterBest > floor;
        std::int64_t score = wordScore(name, url, folderPath, tokens[index], fuzzyCanMatter);
        if (score == 0) return 0;
        total += score;
    }
    return total;
}

std::int64_t SearchScorer::matchScore(std::string_view name, std::string_view url, std::string_view folderPath,
                                      const std::vector<std::string>& tokens, bool fuzzy) {
    std::vector<SearchText> words;
    words.reserve(tokens.size());
    for (const auto& token : tokens) words.push_back(SearchText::fromNormalized(token));
    std::vector<SearchTextView> wordViews;
    for (const auto& word : words) wordViews.push_back(word.view());
    auto preparedName = SearchText::fromRaw(name);
    auto preparedURL = SearchText::fromRaw(url);
    auto preparedFolderPath = SearchText::fromRaw(folderPath);
    return matchScore(preparedName.view(), preparedURL.view(), preparedFolderPath.view(), wordViews, fuzzy);
}

}  // namespace kestrelvault
