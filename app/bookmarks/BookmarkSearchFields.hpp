#pragma once

#include "app/bookmarks/Bookmark.hpp"
#include "app/bookmarks/SearchText.hpp"

#include <vector>

namespace kestrelvault {

// A bookmark's name, URL and folder path in search form, computed once when the bookmark
// is loaded. Normalisation is a pure function of the text, so scoring these gives exactly
// what normalising on every search would. Immutable value; built on the loading thread.
struct BookmarkSearchFields {
    SearchText name;
    SearchText url;
    SearchText folderPath;

    static BookmarkSearchFields of(const Bookmark& bookmark);
    static std::vector<BookmarkSearchFields> of(const std::vector<Bookmark>& bookmarks);
};

}  // namespace kestrelvault
