#pragma once

#include "app/bookmarks/SearchIndex.hpp"

#include <cstddef>
#include <vector>

namespace kestrelvault {

// Finds the best-scoring entries of a search index. The calling thread waits for the
// answer; behind the call the index is scored in runs of a few thousand entries on the
// global queues as well as on the caller's thread. Stateless.
class SearchRanking {
public:
    // The positions of at most `limit` entries with a score above 0, highest score first and
    // index order among equals: the cut that a stable sort of every match by score gives.
    static std::vector<std::size_t> best(const SearchIndex& index, const std::vector<SearchTextView>& words,
                                         bool fuzzy, std::size_t limit);
};

}  // namespace kestrelvault
