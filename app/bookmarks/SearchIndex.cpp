#include "app/bookmarks/SearchIndex.hpp"

#include "app/bookmarks/SearchNormalization.hpp"
#include "app/bookmarks/TextArena.hpp"

#include <deque>

namespace kestrelvault {

struct SearchIndex::Piece {
    TextArena normalized{64 * 1024};  // texts whose search form differs from the raw text
    std::deque<SearchText> clustered;  // texts compared by grapheme clusters (stable addresses)
    std::vector<std::shared_ptr<const void>> borrowed;  // other storage the entries point into
    std::vector<Entry> entries;
};

namespace {

char lowered(char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte; }

// A field in search form. ASCII takes one pass (lower-casing is all normalisation does to
// it) and, without capitals, is the raw text itself; anything else is fully normalised.
SearchTextView place(std::string_view raw, TextArena& normalizedTexts, std::deque<SearchText>& clustered,
                     std::string& scratch) {
    std::uint64_t mask = 0;
    bool hasCapitals = false;
    for (std::size_t index = 0; index < raw.size(); ++index) {
        char byte = raw[index];
        if (static_cast<unsigned char>(byte) >= 0x80 ||
            (byte == '\r' && index + 1 < raw.size() && raw[index + 1] == '\n')) {
            std::string normalized = normalizeForSearch(raw);
            if (SearchText::needsClusters(normalized)) {
                clustered.push_back(SearchText::fromNormalized(std::move(normalized)));
                return clustered.back().view();
            }
            return SearchTextView{normalizedTexts.store(normalized), SearchText::maskOf(normalized), nullptr};
        }
        hasCapitals = hasCapitals || (byte >= 'A' && byte <= 'Z');
        mask |= SearchText::maskBit(lowered(byte));
    }
    if (!hasCapitals) return SearchTextView{raw, mask, nullptr};
    scratch.assign(raw);
    for (char& byte : scratch) byte = lowered(byte);
    return SearchTextView{normalizedTexts.store(scratch), mask, nullptr};
}

}  // namespace

SearchIndex SearchIndex::of(const BookmarkList& list, std::size_t begin, std::size_t end) {
    auto piece = std::make_shared<Piece>();
    piece->entries.reserve(end - begin);
    std::string scratch;
    std::string_view lastRawFolderPath;
    SearchTextView lastFolderPath;
    for (std::size_t index = begin; index < end; ++index) {
        auto fields = list.searchedFields(index);
        // Siblings share one stored folder path: place it once.
        if (fields.folderPath.data() != lastRawFolderPath.data() || fields.folderPath.size() != lastRawFolderPath.size())
            lastFolderPath = place(fields.folderPath, piece->normalized, piece->clustered, scratch);
        lastRawFolderPath = fields.folderPath;
        piece->entries.push_back({place(fields.name, piece->normalized, piece->clustered, scratch),
                                  place(fields.url, piece->normalized, piece->clustered, scratch), lastFolderPath});
        auto storage = list.storageOf(index);
        if (piece->borrowed.empty() || storage != piece->borrowed.back()) piece->borrowed.push_back(std::move(storage));
    }
    SearchIndex index;
    if (!piece->entries.empty()) {
        index.starts_.push_back(0);
        index.pieces_.push_back(std::move(piece));
    }
    return index;
}

std::size_t SearchIndex::size() const { return starts_.empty() ? 0 : starts_.back() + pieces_.back()->entries.size(); }

std::span<const SearchIndex::Entry> SearchIndex::piece(std::size_t index) const { return pieces_[index]->entries; }

void SearchIndex::append(const SearchIndex& other) {
    for (std::size_t piece = 0; piece < other.pieces_.size(); ++piece) {
        starts_.push_back(size());
        pieces_.push_back(other.pieces_[piece]);
    }
}

void SearchIndex::keepOnly(const std::vector<bool>& keep) {
    SearchIndex kept;
    for (std::size_t piece = 0; piece < pieces_.size(); ++piece) {
        const auto& entries = pieces_[piece]->entries;
        auto filtered = std::make_shared<Piece>();
        for (std::size_t local = 0; local < entries.size(); ++local)
            if (keep[starts_[piece] + local]) filtered->entries.push_back(entries[local]);
        if (filtered->entries.size() == entries.size()) {
            filtered = nullptr;
            kept.starts_.push_back(kept.size());
            kept.pieces_.push_back(pieces_[piece]);
        } else if (!filtered->entries.empty()) {
            filtered->borrowed.push_back(pieces_[piece]);  // the views point into the old piece
            kept.starts_.push_back(kept.size());
            kept.pieces_.push_back(std::move(filtered));
        }
    }
    *this = std::move(kept);
}

}  // namespace kestrelvault
