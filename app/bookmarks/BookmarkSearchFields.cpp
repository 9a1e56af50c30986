#include "app/bookmarks/BookmarkSearchFields.hpp"

namespace kestrelvault {

BookmarkSearchFields BookmarkSearchFields::of(const Bookmark& bookmark) {
    return {SearchText::fromRaw(bookmark.name), SearchText::fromRaw(bookmark.url), SearchText::fromRaw(bookmark.folderPath)};
}

std::vector<BookmarkSearchFields> BookmarkSearchFields::of(const std::vector<Bookmark>& bookmarks) {
    std::vector<BookmarkSearchFields> fields;
    fields.reserve(bookmarks.size());
    for (const auto& bookmark : bookmarks) fields.push_back(of(bookmark));
    return fields;
}

}  // namespace kestrelvault
