#include "app/bookmarks/SearchIndex.hpp"

#include "app/bookmarks/SearchNormalization.hpp"

#include <iterator>

namespace kestrelvault {

namespace {

// Where a field's normalised bytes landed in the buffer (clustered texts live apart).
struct Placement {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::shared_ptr<const SearchText> clustered;
};

bool isASCII(std::string_view text) {
    for (char byte : text)
        if (static_cast<unsigned char>(byte) >= 0x80) return false;
    return true;
}

Placement place(std::string_view raw, std::string& buffer) {
    Placement placement{buffer.size(), 0, nullptr};
    if (isASCII(raw)) {
        // The byte-wise lower-casing that normalisation does for ASCII, straight into the buffer.
        for (char byte : raw) buffer.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte);
    } else {
        buffer += normalizeForSearch(raw);
    }
    placement.length = buffer.size() - placement.offset;
    std::string_view normalized(buffer.data() + placement.offset, placement.length);
    if (SearchText::needsClusters(normalized)) {
        placement.clustered = std::make_shared<const SearchText>(SearchText::fromNormalized(std::string(normalized)));
        buffer.resize(placement.offset);
        placement.length = 0;
    }
    return placement;
}

}  // namespace

SearchIndex SearchIndex::of(const std::vector<Bookmark>& bookmarks) {
    auto buffer = std::make_shared<std::string>();
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
        return SearchTextView{text, SearchText::maskOf(text), nullptr};
    };
    for (const auto& fields : placements)
        index.entries_.push_back({viewOf(fields[0]), viewOf(fields[1]), viewOf(fields[2])});
    index.buffers_.push_back(std::move(buffer));
    return index;
}

void SearchIndex::append(SearchIndex other) {
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
