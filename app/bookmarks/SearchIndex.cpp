#include "app/bookmarks/SearchIndex.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

#include <iterator>

namespace kestrelvault {

namespace {

// Where a field's normalised bytes landed in the buffer (clustered texts live apart).
struct Placement {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::uint64_t mask = 0;
    std::shared_ptr<const SearchText> clustered;
};

// ASCII takes one pass: lower-cased into the buffer (all that normalisation does to it)
// while the mask is gathered. Anything else goes through the full normalisation.
Placement place(std::string_view raw, std::string& buffer) {
    Placement placement{buffer.size(), raw.size(), 0, nullptr};
    buffer.resize(placement.offset + raw.size());
    char* out = buffer.data() + placement.offset;
    bool singleByteCharacters = true;
    for (std::size_t index = 0; index < raw.size(); ++index) {
        char byte = raw[index];
        if (static_cast<unsigned char>(byte) >= 0x80 ||
            (byte == '\r' && index + 1 < raw.size() && raw[index + 1] == '\n')) {
            singleByteCharacters = false;
            break;
        }
        char lower = byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
        out[index] = lower;
        placement.mask |= SearchText::maskBit(lower);
    }
    if (singleByteCharacters) return placement;
    buffer.resize(placement.offset);
    std::string normalized = normalizeForSearch(raw);
    if (!SearchText::needsClusters(normalized)) {
        buffer += normalized;
        return Placement{placement.offset, normalized.size(), SearchText::maskOf(normalized), nullptr};
    }
    return Placement{placement.offset, 0, 0,
                     std::make_shared<const SearchText>(SearchText::fromNormalized(std::move(normalized)))};
}

}  // namespace

SearchIndex SearchIndex::of(std::span<const Bookmark> bookmarks) {
    auto buffer = std::make_shared<std::string>();
    std::size_t rawSize = 0;
    for (const auto& bookmark : bookmarks)
        rawSize += bookmark.name.size() + bookmark.url.size() + bookmark.folderPath.size();
    buffer->reserve(rawSize + rawSize / 8);
    std::vector<std::array<Placement, 3>> placements;
    placements.reserve(bookmarks.size());
    for (const auto& bookmark : bookmarks)
        placements.push_back(
            {place(bookmark.name, *buffer), place(bookmark.url, *buffer), place(bookmark.folderPath, *buffer)});
    buffer->shrink_to_fit();

    SearchIndex index;
    index.entries_.reserve(bookmarks.size());
    auto viewOf = [&](const Placement& placement) {
        if (placement.clustered) {
            index.clustered_.push_back(placement.clustered);
            return placement.clustered->view();
        }
        std::string_view text(buffer->data() + placement.offset, placement.length);
        return SearchTextView{text, placement.mask, nullptr};
    };
    for (const auto& fields : placements)
        index.entries_.push_back({viewOf(fields[0]), viewOf(fields[1]), viewOf(fields[2])});
    index.buffers_.push_back(std::move(buffer));
    return index;
}

void SearchIndex::append(SearchIndex other) {
    if (entries_.empty() && buffers_.empty()) {
        *this = std::move(other);
        return;
    }
    std::move(other.buffers_.begin(), other.buffers_.end(), std::back_inserter(buffers_));
    std::move(other.clustered_.begin(), other.clustered_.end(), std::back_inserter(clustered_));
    entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end());
}

void SearchIndex::keepOnly(const std::vector<bool>& keep) {
    std::size_t kept = 0;
    for (std::size_t index = 0; index < entries_.size(); ++index)
        if (index < keep.size() && keep[index]) entries_[kept++] = entries_[index];
    entries_.resize(kept);
}

}  // namespace kestrelvault
