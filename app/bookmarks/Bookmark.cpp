#include "app/bookmarks/Bookmark.hpp"

#include "app/bookmarks/HashCombine.hpp"

std::size_t std::hash<kestrelvault::Bookmark>::operator()(const kestrelvault::Bookmark& bookmark) const noexcept {
    using kestrelvault::hashCombine;
    std::hash<std::string> text;
    std::size_t seed = text(bookmark.id);
    hashCombine(seed, text(bookmark.name));
    hashCombine(seed, text(bookmark.url));
    hashCombine(seed, text(bookmark.folderPath));
    hashCombine(seed, static_cast<std::size_t>(bookmark.browser));
    hashCombine(seed, text(bookmark.profileDirectory));
    hashCombine(seed, text(bookmark.profileDisplayName));
    // An absent path hashes apart from every present one, the empty path included.
    hashCombine(seed, bookmark.profilePicturePath ? text(*bookmark.profilePicturePath) + 1 : 0);
    return seed;
}
