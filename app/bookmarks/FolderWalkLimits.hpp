#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrelvault {

// The deepest folder level the readers descend to; folders below it are skipped with
// everything in them. Browsers themselves never write more than a hundred or so levels,
// and the bound keeps a hostile file from costing unbounded stack or memory.
inline constexpr std::size_t maximumFolderDepth = 200;

// Appends one folder name to a path: the name alone at the top, else "/" and the name.
inline void appendFolderName(std::string& folderPath, std::string_view name) {
    if (!folderPath.empty()) folderPath += '/';
    folderPath += name;
}

}  // namespace kestrelvault
