#include "app/bookmarks/SearchIndex.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

#include <limits>

namespace kestrelvault {

namespace {

constexpr std::uint32_t ownTextBit = std::uint32_t{1} << 31;
constexpr std::uint32_t clusteredLength = std::numeric_limits<std::uint32_t>::max();

// Where one field's search form lies: in the list's text, in the piece's own text (the
// offset has ownTextBit), or among the piece's clustered texts (the length is
// clusteredLength and the offset their index). 16 bytes, so a million bookmarks' entries
// stay small.
struct Field {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint64_t mask = 0;
};

// 40 bytes: siblings share their folder path, so it is placed once per run of them.
struct Entry {
    Field name, url;
    std::uint32_t folderPath;  // in the storage's folder paths
};

// The texts a piece's entries point into, shared by the pieces filtered from it.
struct Storage {
    std::string_view listText;
    std::shared_ptr<const void> listTextOwner;
    std::string ownText;
    std::vector<SearchText> clustered;
    std::vector<Field> folderPaths;

    SearchTextView view(const Field& field) const {
        if (field.length == clusteredLength) return clustered[field.offset].view();
        const char* base = field.offset & ownTextBit ? ownText.data() : listText.data();
        return SearchTextView{std::string_view(base + (field.offset & ~ownTextBit), field.length), field.mask, nullptr};
    }

    // A field in search form. ASCII takes one pass (lower-casing is all normalisation does
    // to it) and, without capitals, is found in the list's text as it is; anything else is
    // fully normalised.
    Field place(std::string_view raw) {
        std::uint64_t mask = 0;
        bool hasCapitals = false;
        for (std::size_t index = 0; index < raw.size(); ++index) {
            char byte = raw[index];
            if (static_cast<unsigned char>(byte) >= 0x80 ||
                (byte == '\r' && index + 1 < raw.size() && raw[index + 1] == '\n'))
                return placeNormalized(normalizeForSearch(raw));
            bool isCapital = byte >= 'A' && byte <= 'Z';
            hasCapitals = hasCapitals || isCapital;
            mask |= SearchText::maskBit(isCapital ? static_cast<char>(byte - 'A' + 'a') : byte);
        }
        bool inListText = raw.data() >= listText.data() && raw.data() + raw.size() <= listText.data() + listText.size();
        if (!hasCapitals && inListText)
            return Field{static_cast<std::uint32_t>(raw.data() - listText.data()), static_cast<std::uint32_t>(raw.size()),
                         mask};
        Field field = appendOwn(raw, mask);
        for (std::size_t index = field.offset & ~ownTextBit; index < ownText.size(); ++index)
            if (ownText[index] >= 'A' && ownText[index] <= 'Z') ownText[index] = static_cast<char>(ownText[index] - 'A' + 'a');
        return field;
    }

    Field placeNormalized(std::string normalized) {
        if (!SearchText::needsClusters(normalized)) return appendOwn(normalized, SearchText::maskOf(normalized));
        clustered.push_back(SearchText::fromNormalized(std::move(normalized)));
        return Field{static_cast<std::uint32_t>(clustered.size() - 1), clusteredLength, 0};
    }

    Field appendOwn(std::string_view text, std::uint64_t mask) {
        if (text.size() >= ownTextBit - ownText.size()) return Field{};  // past 2 GiB: an empty text
        Field field{static_cast<std::uint32_t>(ownText.size()) | ownTextBit, static_cast<std::uint32_t>(text.size()), mask};
        ownText += text;
        return field;
    }
};

}  // namespace

struct SearchIndex::PieceData {
    std::shared_ptr<const Storage> storage;
    std::vector<Entry> entries;
};

SearchIndex::Fields SearchIndex::Piece::operator[](std::size_t local) const {
    const auto& entry = data_->entries[local];
    const auto& storage = *data_->storage;
    return Fields{storage.view(entry.name), storage.view(entry.url),
                  storage.view(storage.folderPaths[entry.folderPath])};
}

SearchIndex SearchIndex::of(const BookmarkList& list, std::size_t begin, std::size_t end) {
    SearchIndex index;
    if (begin >= end) return index;
    auto storage = std::make_shared<Storage>();
    storage->listText = list.textOf(begin);
    storage->listTextOwner = list.storageOf(begin);
    auto piece = std::make_shared<PieceData>();
    piece->entries.reserve(end - begin);
    std::string_view lastRawFolderPath;
    for (std::size_t position = begin; position < end; ++position) {
        auto fields = list.searchedFields(position);
        // Siblings share one stored folder path: place it once.
        if (position == begin || fields.folderPath.data() != lastRawFolderPath.data() ||
            fields.folderPath.size() != lastRawFolderPath.size())
            storage->folderPaths.push_back(storage->place(fields.folderPath));
        lastRawFolderPath = fields.folderPath;
        piece->entries.push_back(Entry{storage->place(fields.name), storage->place(fields.url),
                                       static_cast<std::uint32_t>(storage->folderPaths.size() - 1)});
    }
    // Own texts and clustered texts stop growing here, before anyone reads views of them.
    piece->storage = std::move(storage);
    index.starts_.push_back(0);
    index.pieces_.push_back(std::move(piece));
    return index;
}

std::size_t SearchIndex::size() const { return starts_.empty() ? 0 : starts_.back() + pieces_.back()->entries.size(); }

SearchIndex::Piece SearchIndex::piece(std::size_t index) const {
    Piece piece;
    piece.data_ = pieces_[index].get();
    piece.start_ = starts_[index];
    piece.size_ = pieces_[index]->entries.size();
    return piece;
}

void SearchIndex::append(const SearchIndex& other) {
    for (std::size_t piece = 0; piece < other.pieces_.size(); ++piece) {
        starts_.push_back(size());
        pieces_.push_back(other.pieces_[piece]);
    }
}

void SearchIndex::keepOnly(const std::vector<bool>& keep) {
    SearchIndex kept;
    for (std::size_t piece = 0; piece < pieces_.size(); ++piece) {
        const auto& original = pieces_[piece];
        auto filtered = std::make_shared<PieceData>();
        filtered->storage = original->storage;
        for (std::size_t local = 0; local < original->entries.size(); ++local)
            if (keep[starts_[piece] + local]) filtered->entries.push_back(original->entries[local]);
        if (filtered->entries.empty()) continue;
        kept.starts_.push_back(kept.size());
        kept.pieces_.push_back(filtered->entries.size() == original->entries.size() ? original : std::move(filtered));
    }
    *this = std::move(kept);
}

}  // namespace kestrelvault
