#include "platform/foundation/PropertyListParsingLimits.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace foundation {

namespace {

std::optional<std::uint64_t> readBigEndian(std::string_view data, std::uint64_t offset, std::size_t size) {
    if (size == 0 || size > 8 || offset > data.size() || data.size() - offset < size) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t index = 0; index < size; ++index)
        value = (value << 8) | static_cast<std::uint8_t>(data[offset + index]);
    return value;
}

// The object table of a binary property list, enough to follow container references.
class BinaryObjectTable {
public:
    static std::optional<BinaryObjectTable> open(std::string_view data) {
        if (data.size() < 8 + 32) return std::nullopt;
        BinaryObjectTable table;
        table.data_ = data;
        std::uint64_t trailer = data.size() - 32;
        table.offsetSize_ = static_cast<std::uint8_t>(data[trailer + 6]);
        table.referenceSize_ = static_cast<std::uint8_t>(data[trailer + 7]);
        auto count = readBigEndian(data, trailer + 8, 8);
        auto top = readBigEndian(data, trailer + 16, 8);
        auto tableOffset = readBigEndian(data, trailer + 24, 8);
        if (!count || !top || !tableOffset) return std::nullopt;
        if (table.offsetSize_ < 1 || table.offsetSize_ > 8 || table.referenceSize_ < 1 || table.referenceSize_ > 8)
            return std::nullopt;
        if (*top >= *count || *tableOffset > trailer || (trailer - *tableOffset) / table.offsetSize_ < *count)
            return std::nullopt;
        table.count_ = *count;
        table.top_ = *top;
        table.tableOffset_ = *tableOffset;
        table.trailer_ = trailer;
        return table;
    }

    std::uint64_t count() const { return count_; }
    std::uint64_t top() const { return top_; }

    struct Entry {
        bool isContainer = false;
        std::vector<std::uint64_t> children;
    };
    // Whether the object is a container and what it refers to; nullopt when damaged.
    std::optional<Entry> references(std::uint64_t object) const {
        auto offset = readBigEndian(data_, tableOffset_ + object * offsetSize_, offsetSize_);
        if (!offset || *offset >= trailer_) return std::nullopt;
        auto marker = static_cast<std::uint8_t>(data_[*offset]);
        unsigned type = marker >> 4;
        bool isContainer = type == 0xA || type == 0xB || type == 0xC || type == 0xD;
        if (!isContainer) return Entry{};
        std::uint64_t count = marker & 0x0F;
        std::uint64_t cursor = *offset + 1;
        if (count == 0x0F) {
            if (cursor >= trailer_) return std::nullopt;
            auto intMarker = static_cast<std::uint8_t>(data_[cursor]);
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3) return std::nullopt;
            std::size_t size = std::size_t{1} << (intMarker & 0x0F);
            auto value = readBigEndian(data_, cursor + 1, size);
            if (!value) return std::nullopt;
            count = *value;
            cursor += 1 + size;
        }
        if (type == 0xD) count *= 2;
        if (cursor > trailer_ || (trailer_ - cursor) / referenceSize_ < count) return std::nullopt;
        std::vector<std::uint64_t> children;
        children.reserve(count);
        for (std::uint64_t index = 0; index < count; ++index) {
            auto child = readBigEndian(data_, cursor + index * referenceSize_, referenceSize_);
            if (!child || *child >= count_) return std::nullopt;
            children.push_back(*child);
        }
        return Entry{true, std::move(children)};
    }

private:
    std::string_view data_;
    std::uint8_t offsetSize_ = 0;
    std::uint8_t referenceSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t trailer_ = 0;
};

// Depth-first over the object graph with an explicit stack; the stack is the path from the
// top, so its height is the nesting. The parser copies an object once per reference, so
// the expanded size (objects counted once per path that reaches them) is bounded too:
// without shared containers it never exceeds the number of references in the file.
bool binaryWithinLimits(std::string_view data, std::size_t nestingLimit) {
    auto table = BinaryObjectTable::open(data);
    if (!table) return false;
    enum class Mark : std::uint8_t { unvisited, onPath, finished };
    std::vector<Mark> marks(table->count(), Mark::unvisited);
    std::vector<std::uint64_t> expandedSize(table->count(), 0);
    const std::uint64_t expandedLimit = data.size() + 1;
    struct Frame {
        std::uint64_t object;
        bool isContainer;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        std::uint64_t size = 1;
    };
    std::vector<Frame> path;
    std::size_t containers = 0;  // on the path
    auto enter = [&](std::uint64_t object) {
        auto entry = table->references(object);
        if (!entry) return false;
        marks[object] = Mark::onPath;
        path.push_back(Frame{object, entry->isContainer, std::move(entry->children)});
        return (containers += entry->isContainer) <= nestingLimit;
    };
    if (!enter(table->top())) return false;
    while (!path.empty()) {
        auto& frame = path.back();
        if (frame.next == frame.children.size()) {
            marks[frame.object] = Mark::finished;
            expandedSize[frame.object] = frame.size;
            std::uint64_t size = frame.size;
            containers -= frame.isContainer;
            path.pop_back();
            if (!path.empty() && (path.back().size += size) > expandedLimit) return false;
            continue;
        }
        std::uint64_t child = frame.children[frame.next++];
        if (marks[child] == Mark::onPath) return false;  // a cycle
        if (marks[child] == Mark::finished) {
            if ((frame.size += expandedSize[child]) > expandedLimit) return false;
            continue;
        }
        if (!enter(child)) return false;
    }
    return true;
}

bool startsWithAt(std::string_view data, std::size_t offset, std::string_view text) {
    return data.compare(offset, text.size(), text) == 0;
}

bool xmlWithinLimits(std::string_view data, std::size_t limit) {
    std::size_t depth = 0;
    for (std::size_t offset = data.find('<'); offset != std::string_view::npos; offset = data.find('<', offset + 1)) {
        bool closing = offset + 1 < data.size() && data[offset + 1] == '/';
        std::size_t nameStart = offset + (closing ? 2 : 1);
        std::size_t nameLength = 0;
        if (startsWithAt(data, nameStart, "dict"))
            nameLength = 4;
        else if (startsWithAt(data, nameStart, "array"))
            nameLength = 5;
        else
            continue;
        std::size_t end = data.find('>', nameStart + nameLength);
        if (end == std::string_view::npos) return true;  // unterminated: the parser refuses it
        if (closing) {
            if (depth > 0) --depth;
        } else if (data[end - 1] != '/') {
            if (++depth > limit) return false;
        }
    }
    return true;
}

}  // namespace

bool propertyListWithinParsingLimits(std::string_view data, std::size_t nestingLimit) {
    if (data.substr(0, 6) == "bplist") return binaryWithinLimits(data, nestingLimit);
    return xmlWithinLimits(data, nestingLimit);
}

}  // namespace foundation
