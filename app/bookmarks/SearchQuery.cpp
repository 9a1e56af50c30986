#include "app/bookmarks/SearchQuery.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

namespace kestrelvault {

std::vector<SearchText> searchWords(std::string_view query) {
    auto trimmed = SearchText::fromNormalized(trimSpacesAndTabs(normalizeForSearch(query)));
    std::vector<SearchText> words;
    std::string word;
    // By characters: a space that carries a combining mark is part of a word, not a break.
    for (std::size_t index = 0; index < trimmed.characterCount(); ++index) {
        auto character = trimmed.character(index);
        if (character == " ") {
            if (!word.empty()) words.push_back(SearchText::fromNormalized(std::move(word)));
            word.clear();
        } else {
            word += character;
        }
    }
    if (!word.empty()) words.push_back(SearchText::fromNormalized(std::move(word)));
    return words;
}

}  // namespace kestrelvault
