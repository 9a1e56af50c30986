#include "app/bookmarks/SearchIndex.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

#include <array>
#include <deque>

namespace kestrelvault {

struct SearchIndex::Piece {
    std::string normalized;             // texts whose search form differs from the raw text
    std::deque<SearchText> clustered;   // texts compared by grapheme clusters (stable addresses)
    std::vector<std::shared_ptr<const void>> borrowed;  // other storage the entries point into
    std::vector<Entry> entries;
};

namespace {

// Where a field's search form lies: the raw text itself (ASCII with no capital), bytes in
// the piece's buffer, or a clustered text.
struct Placement {
    std::string_view raw;
    bool isRaw = false;
    std::size_t offset = 0;
    std::size_t length = 0;
    std::uint64_t mask = 0;
    const SearchText* clustered = nullptr;
};

// ASCII takes one pass: lower-cased (all that normalisation does to it) while the mask is
// gathered. Anything else goes through the full normalisation.
Placement place(std::string_view raw, std::string& buffer, std::deque<SearchText>& clustered) {
    Placement placement{raw, true, buffer.size(), raw.size(), 0, nullptr};
    bool singleByteCharacters = true;
    for (std::size_t index = 0; index < raw.size(); ++index) {
        char byte = raw[index];
        if (static_cast<unsigned char>(byte) >= 0x80 ||
            (byte == '\r' && index + 1 < raw.size() && raw[index + 1] == '\n')) {
            singleByteCharacters = false;
            break;
        }
        if (byte >= 'A' && byte <= 'Z') placement.isRaw = false;
        placement.mask |= SearchText::maskBit(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte);
    }
    if (singleByteCharacters) {
        if (!placement.isRaw)
            for (char byte : raw) buffer += byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
        return placement;
    }
    std::string normalized = normalizeForSearch(raw);
    if (!SearchText::needsClusters(normalized)) {
        buffer += normalized;
        return Placement{raw, false, placement.offset, normalized.size(), SearchText::maskOf(normalized), nullptr};
    }
    clustered.push_back(SearchText::fromNormalized(std::move(normalized)));
    return Placement{raw, false, 0, 0, 0, &clustered.back()};
}

}  // namespace

SearchIndex SearchIndex::of(const BookmarkList& list, std::size_t begin, std::size_t end) {
    auto piece = std::make_shared<Piece>();
    std::size_t rawSize = 0;
    for (std::size_t index = begin; index < end; ++index) {
        auto fields = list.searchedFields(index);
        rawSize += fields.name.size();
    }
    piece->normalized.reserve(rawSize + rawSize / 8);
    std::vector<std::array<Placement, 3>> placements;
    placements.reserve(end - begin);
    Placement lastFolderPath;
    for (std::size_t index = begin; index < end; ++index) {
        auto fields = list.searchedFields(index);
        auto& normalized = piece->normalized;
        auto& clustered = piece->clustered;
        // Siblings share one stored folder path: place it once.
        if (fields.folderPath.data() != lastFolderPath.raw.data() || fields.folderPath.size() != lastFolderPath.raw.size())
            lastFolderPath = place(fields.folderPath, normalized, clustered);
        placements.push_back({place(fields.name, normalized, clustered),
                              place(fields.url, normalized, clustered), lastFolderPath});
        if (index == begin || list.storageOf(index) != piece->borrowed.back())
            piece->borrowed.push_back(list.storageOf(index));
    }

    auto viewOf = [&](const Placement& placement) {
        if (placement.clustered) return placement.clustered->view();
        std::string_view text = placement.isRaw ? placement.raw
                                                : std::string_view(piece->normalized.data() + placement.offset,
                                                                   placement.length);
        return SearchTextView{text, placement.mask, nullptr};
    };
    piece->entries.reserve(placements.size());
    for (const auto& fields : placements)
        piece->entries.push_back({viewOf(fields[0]), viewOf(fields[1]), viewOf(fields[2])});

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
