#pragma once

#include "app/bookmarks/BookmarkList.hpp"
#include "app/bookmarks/SearchText.hpp"
#include "app/bookmarks/SearchTextView.hpp"

#include <cstdint>
#include <memory>
#include <vector>

namespace kestrelvault {

// The name, URL and folder path of a list of bookmarks in search form, computed once
// when they are loaded; normalisation is a pure function of the text, so scoring these
// gives exactly what normalising on every search would. A field whose search form is its
// stored text (ASCII without capitals, and the list keeps ASCII names lower-cased) points
// into the list's text instead of being copied. Kept in pieces (one per built range),
// which a search may score apart. Built on a loading thread, then owned by one thread;
// copies share the pieces, and a piece keeps the list text it points into alive.
class SearchIndex {
    struct PieceData;  // one built range's entries and what they point into

public:
    struct Fields {
        SearchTextView name, url, folderPath;
    };

    // One piece's entries, as the scorer reads them.
    class Piece {
    public:
        std::size_t size() const { return size_; }
        // The position of the piece's first entry in the whole index.
        std::size_t start() const { return start_; }
        Fields operator[](std::size_t local) const;

    private:
        friend class SearchIndex;
        const PieceData* data_ = nullptr;
        std::size_t start_ = 0;
        std::size_t size_ = 0;
    };

    // The bookmarks of one built list from `begin` up to `end`, as one piece.
    static SearchIndex of(const BookmarkList& list, std::size_t begin, std::size_t end);

    std::size_t size() const;
    std::size_t pieceCount() const { return pieces_.size(); }
    Piece piece(std::size_t index) const;

    // Appends another index's pieces after this one's.
    void append(const SearchIndex& other);
    // Keeps the entries whose flag is set, in order.
    void keepOnly(const std::vector<bool>& keep);

private:
    std::vector<std::shared_ptr<const PieceData>> pieces_;
    std::vector<std::size_t> starts_;
};

}  // namespace kestrelvault
