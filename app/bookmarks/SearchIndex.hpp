#pragma once

#include "app/bookmarks/BookmarkList.hpp"
#include "app/bookmarks/SearchText.hpp"
#include "app/bookmarks/SearchTextView.hpp"

#include <memory>
#include <span>
#include <vector>

namespace kestrelvault {

// The name, URL and folder path of a list of bookmarks in search form, computed once
// when they are loaded; normalisation is a pure function of the text, so scoring these
// gives exactly what normalising on every search would. Kept in pieces (one per built
// range), which a search may score apart. Built on a loading thread, then owned by one
// thread; moving or copying it keeps every view valid, and a piece keeps the list's texts
// it borrows alive.
class SearchIndex {
public:
    struct Entry {
        SearchTextView name;
        SearchTextView url;
        SearchTextView folderPath;
    };

    // The list's bookmarks from `begin` up to `end`, as one piece.
    static SearchIndex of(const BookmarkList& list, std::size_t begin, std::size_t end);

    std::size_t size() const;
    std::size_t pieceCount() const { return pieces_.size(); }
    // The entries of one piece, and the position of its first entry in the whole index.
    std::span<const Entry> piece(std::size_t index) const;
    std::size_t pieceStart(std::size_t index) const { return starts_[index]; }

    // Appends another index's pieces after this one's.
    void append(const SearchIndex& other);
    // Keeps the entries whose flag is set, in order.
    void keepOnly(const std::vector<bool>& keep);

private:
    struct Piece;  // one built range's entries and the texts they point to
    std::vector<std::shared_ptr<const Piece>> pieces_;
    std::vector<std::size_t> starts_;
};

}  // namespace kestrelvault
