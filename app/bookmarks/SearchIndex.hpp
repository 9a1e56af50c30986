#pragma once

#include "app/bookmarks/Bookmark.hpp"
#include "app/bookmarks/SearchText.hpp"
#include "app/bookmarks/SearchTextView.hpp"

#include <array>
#include <memory>
#include <span>
#include <vector>

namespace kestrelvault {

// The name, URL and folder path of a list of bookmarks in search form, computed once
// when they are loaded; normalisation is a pure function of the text, so scoring these
// gives exactly what normalising on every search would. Texts sit together in one buffer
// per built list, so a search walks memory in order. Built on a loading thread, then owned
// by one thread; moving it keeps every view valid.
class SearchIndex {
public:
    struct Entry {
        SearchTextView name;
        SearchTextView url;
        SearchTextView folderPath;
    };

    static SearchIndex of(std::span<const Bookmark> bookmarks);

    std::size_t size() const { return entries_.size(); }
    const Entry& operator[](std::size_t index) const { return entries_[index]; }

    // Appends another index's entries after this one's.
    void append(SearchIndex other);
    // Keeps the entries whose flag is set, in order.
    void keepOnly(const std::vector<bool>& keep);

private:
    std::vector<std::shared_ptr<const std::string>> buffers_;
    std::vector<std::shared_ptr<const SearchText>> clustered_;
    std::vector<Entry> entries_;
};

}  // namespace kestrelvault
