#include "platform/foundation/PropertyListPrecheck.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace foundation {

namespace {

bool refuse(std::string* reason, const char* text) {
    if (reason) *reason = text;
    return false;
}

std::optional<std::uint64_t> bigEndian(std::string_view data, std::uint64_t offset, std::uint64_t width) {
    if (width == 0 || width > 8 || offset > data.size() || width > data.size() - offset) return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint64_t index = 0; index < width; ++index)
        value = (value << 8) | static_cast<unsigned char>(data[offset + index]);
    return value;
}

class BinaryLayout {
public:
    explicit BinaryLayout(std::string_view data) : data_(data) {}

    bool readTrailer() {
        if (data_.size() < 8 + 32) return false;
        auto trailer = data_.size() - 32;
        offsetWidth_ = static_cast<unsigned char>(data_[trailer + 6]);
        referenceWidth_ = static_cast<unsigned char>(data_[trailer + 7]);
        auto count = bigEndian(data_, trailer + 8, 8);
        auto top = bigEndian(data_, trailer + 16, 8);
        auto table = bigEndian(data_, trailer + 24, 8);
        if (!count || !top || !table || offsetWidth_ == 0 || offsetWidth_ > 8 || referenceWidth_ == 0 ||
            referenceWidth_ > 8)
            return false;
        objectCount_ = *count;
        topObject_ = *top;
        offsetTable_ = *table;
        return objectCount_ > 0 && topObject_ < objectCount_ && offsetTable_ <= trailer &&
               objectCount_ <= (trailer - offsetTable_) / offsetWidth_;
    }

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t topObject() const { return topObject_; }

    // Appends the objects a container refers to (keys and values of a dictionary); nothing
    // for anything else; false when the object is malformed. One shared list serves a whole
    // walk, so a file of a million objects costs no allocation per object.
    bool appendChildren(std::uint64_t object, std::vector<std::uint64_t>& result) {
        auto type = typeOf(object);
        if (!type) return false;
        bool isDictionary = *type == 0xD;
        if (*type != 0xA && *type != 0xB && *type != 0xC && !isDictionary) return true;
        auto header = headerOf(object);
        if (!header) return false;
        auto [count, position] = *header;
        std::uint64_t references = isDictionary ? count * 2 : count;
        if (count > data_.size() || references > (data_.size() - std::min<std::uint64_t>(position, data_.size())) / referenceWidth_)
            return false;
        for (std::uint64_t index = 0; index < references; ++index) {
            auto reference = bigEndian(data_, position + index * referenceWidth_, referenceWidth_);
            if (!reference || *reference >= objectCount_) return false;
            if (isDictionary && index < count && !isUsableKeyOnce(*reference)) return false;
            result.push_back(*reference);
        }
        return true;
    }

private:
    struct Header {
        std::uint64_t count;     // the length the marker and its extension give
        std::uint64_t position;  // where the object's contents begin
    };

    std::optional<std::uint64_t> offsetOf(std::uint64_t object) const {
        auto offset = bigEndian(data_, offsetTable_ + object * offsetWidth_, offsetWidth_);
        if (!offset || *offset >= data_.size()) return std::nullopt;
        return offset;
    }

    std::optional<unsigned> typeOf(std::uint64_t object) const {
        auto offset = offsetOf(object);
        if (!offset) return std::nullopt;
        return static_cast<unsigned char>(data_[*offset]) >> 4;
    }

    // For data, strings and containers, whose low marker bits are a length (0x0F: the
    // length follows as an integer object).
    std::optional<Header> headerOf(std::uint64_t object) const {
        auto offset = offsetOf(object);
        if (!offset) return std::nullopt;
        auto marker = static_cast<unsigned char>(data_[*offset]);
        Header header{static_cast<std::uint64_t>(marker & 0x0F), *offset + 1};
        if (header.count == 0x0F) {
            if (header.position >= data_.size()) return std::nullopt;
            auto countMarker = static_cast<unsigned char>(data_[header.position]);
            if ((countMarker >> 4) != 0x1 || (countMarker & 0x0F) > 3) return std::nullopt;
            std::uint64_t width = std::uint64_t{1} << (countMarker & 0x0F);
            auto extended = bigEndian(data_, header.position + 1, width);
            if (!extended) return std::nullopt;
            header.count = *extended;
            header.position += 1 + width;
        }
        return header;
    }

    // Keys are shared by many dictionaries: each is checked once.
    bool isUsableKeyOnce(std::uint64_t object) {
        if (keyChecks_.empty()) keyChecks_.resize(objectCount_, unchecked);
        if (keyChecks_[object] == unchecked) keyChecks_[object] = isUsableKey(object) ? usable : unusable;
        return keyChecks_[object] == usable;
    }

    // The parser keeps dictionary keys as C strings and aborts the process on one whose text
    // holds a NUL, so such a key makes the file unreadable instead.
    bool isUsableKey(std::uint64_t object) const {
        auto type = typeOf(object);
        if (!type) return false;
        std::uint64_t unitWidth = *type == 0x5 ? 1 : *type == 0x6 ? 2 : 0;
        if (unitWidth == 0) return true;  // not text: the parser refuses it on its own
        auto header = headerOf(object);
        if (!header) return false;
        if (header->position > data_.size() || header->count > (data_.size() - header->position) / unitWidth)
            return false;
        for (std::uint64_t unit = 0; unit < header->count; ++unit) {
            auto at = header->position + unit * unitWidth;
            if (data_[at] == '\0' && (unitWidth == 1 || data_[at + 1] == '\0')) return false;
        }
        return true;
    }

    enum : std::uint8_t { unchecked, usable, unusable };
    std::vector<std::uint8_t> keyChecks_;
    std::string_view data_;
    unsigned offsetWidth_ = 0;
    unsigned referenceWidth_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::uint64_t offsetTable_ = 0;
};

}  // namespace

bool PropertyListPrecheck::isSafeBinary(std::string_view data, std::string* reason) {
    BinaryLayout layout(data);
    if (!layout.readTrailer()) return refuse(reason, "malformed trailer");
    enum : std::uint8_t { unvisited, open, done };
    std::vector<std::uint8_t> state(layout.objectCount(), unvisited);
    std::vector<std::uint64_t> expanded(layout.objectCount(), 0);
    struct Frame {
        std::uint64_t object;
        std::size_t firstChild;  // in `children`, which holds the open frames' children in stack order
        std::size_t next;
    };
    std::vector<Frame> stack;
    std::vector<std::uint64_t> children;
    auto enter = [&](std::uint64_t object) {
        std::size_t first = children.size();
        if (!layout.appendChildren(object, children)) return false;
        state[object] = open;
        stack.push_back({object, first, first});
        return true;
    };
    // Depth-first over the object graph without recursion; every object is expanded once
    // and remembers how many objects the parser would make of it.
    if (!enter(layout.topObject())) return refuse(reason, "malformed object");
    while (!stack.empty()) {
        auto& frame = stack.back();  // its children run from firstChild to the end of the list
        if (frame.next < children.size()) {
            auto child = children[frame.next++];
            if (state[child] == open) return refuse(reason, "reference cycle");
            if (state[child] == unvisited) {
                if (stack.size() >= maximumDepth) return refuse(reason, "nested too deeply");
                if (!enter(child)) return refuse(reason, "malformed object");
            }
            continue;
        }
        std::uint64_t total = 1;
        for (std::size_t index = frame.firstChild; index < children.size(); ++index)
            total = std::min(total + expanded[children[index]], maximumExpandedObjects + 1);
        if (total > maximumExpandedObjects) return refuse(reason, "too many objects once expanded");
        expanded[frame.object] = total;
        state[frame.object] = done;
        children.resize(frame.firstChild);
        stack.pop_back();
    }
    return true;
}

bool PropertyListPrecheck::isSafeXML(std::string_view data, std::string* reason) {
    std::size_t depth = 0;
    std::size_t position = 0;
    auto startsWithTag = [&](std::size_t at, std::string_view name) {
        if (data.substr(at, name.size()) != name) return false;
        auto after = at + name.size();
        return after < data.size() && (data[after] == '>' || data[after] == '/' || data[after] == ' ' ||
                                       data[after] == '\t' || data[after] == '\r' || data[after] == '\n');
    };
    while ((position = data.find('<', position)) != std::string_view::npos) {
        auto rest = data.substr(position);
        if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[")) {
            auto end = data.find(rest.starts_with("<!--") ? "-->" : "]]>", position + 4);
            if (end == std::string_view::npos) return true;  // unterminated: the parser refuses it
            position = end + 3;
            continue;
        }
        auto close = data.find('>', position);
        if (close == std::string_view::npos) return true;
        bool selfClosing = data[close - 1] == '/';
        if (!selfClosing && (startsWithTag(position + 1, "array") || startsWithTag(position + 1, "dict"))) {
            if (++depth > maximumDepth) return refuse(reason, "nested too deeply");
        } else if (startsWithTag(position + 1, "/array") || startsWithTag(position + 1, "/dict")) {
            if (depth > 0) --depth;
        }
        position = close + 1;
    }
    return true;
}

}  // namespace foundation
