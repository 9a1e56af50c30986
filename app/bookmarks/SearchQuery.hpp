#pragma once

#include "app/bookmarks/SearchText.hpp"

#include <string_view>
#include <vector>

namespace kestrelvault {

// The words of a typed query: normalised, trimmed of spaces and tabs at both ends, and
// split at every character that is a single space; empty pieces are dropped. No words
// means the query is blank. Pure; any thread.
std::vector<SearchText> searchWords(std::string_view query);

}  // namespace kestrelvault
