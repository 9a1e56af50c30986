#pragma once

#include "app/bookmarks/Bookmark.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plain {

// The ranking written out the slow, literal way, to check the prepared and pruned search
// against: ICU's transform for the kana step, texts as vectors of grapheme clusters
// compared by canonical equivalence, every field normalised on every search, every
// bookmark scored, a stable sort and the cut. Nothing here shares code with the search.
std::string normalize(std::string_view text);
std::vector<std::string> words(std::string_view query);
std::int64_t fuzzyScore(std::string_view word, std::string_view text);
std::int64_t matchScore(const kestrelvault::Bookmark& bookmark, const std::vector<std::string>& words, bool fuzzy);
std::vector<kestrelvault::Bookmark> search(const std::vector<kestrelvault::Bookmark>& bookmarks,
                                           std::string_view query, bool fuzzy);

}  // namespace plain
