#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A folder the visitor wants entered: its contents and the name it adds to the path.
template <class Cursor>
struct FolderToEnter {
    Cursor children;
    std::string name;
};

// Walks a bookmark tree depth first in display order with an explicit stack, so nesting
// costs no call stack. A cursor gives done() and next(); visit(node, folderPath) records
// what the node holds and answers the folder to enter, if the node is one.
template <class Cursor, class Visit>
void walkFolders(Cursor top, const std::string& folderPath, Visit&& visit) {
    struct Frame {
        Cursor cursor;
        std::size_t pathLength;
    };
    std::string path = folderPath;
    std::vector<Frame> stack;  // cursors may be move-only
    stack.push_back(Frame{std::move(top), path.size()});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.cursor.done()) {
            stack.pop_back();
            continue;
        }
        auto node = frame.cursor.next();
        path.resize(frame.pathLength);
        std::optional<FolderToEnter<Cursor>> folder = visit(node, path);
        if (!folder || stack.size() >= maximumFolderDepth) continue;
        appendFolderName(path, folder->name);
        stack.push_back(Frame{std::move(folder->children), path.size()});
    }
}

}  // namespace kestrelvault
