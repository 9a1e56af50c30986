#include "platform/foundation/PropertyListPrecheck.hpp"

#include "platform/foundation/String.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// False when the text holds a character reference ("&#65;", "&#x41;") to U+0000 or to a
// surrogate, which the parser would turn into text that is not UTF-8. References it cannot
// read are left for the parser to refuse.
bool referencesAreStorable(std::string_view text) {
    for (auto at = text.find("&#"); at != std::string_view::npos; at = text.find("&#", at + 2)) {
        std::size_t index = at + 2;
        unsigned base = 10;
        if (index < text.size() && (text[index] == 'x' || text[index] == 'X')) {
            base = 16;
            ++index;
        }
        std::uint32_t value = 0;
        std::size_t digits = 0;
        for (; index < text.size(); ++index, ++digits) {
            char character = text[index];
            int digit = character >= '0' && character <= '9'                 ? character - '0'
                        : base == 16 && character >= 'a' && character <= 'f' ? character - 'a' + 10
                        : base == 16 && character >= 'A' && character <= 'F' ? character - 'A' + 10
                                                                              : -1;
            if (digit < 0) break;
            value = std::min<std::uint32_t>(value * base + static_cast<std::uint32_t>(digit), 0x110000);
        }
        if (digits == 0 || index >= text.size() || text[index] != ';') continue;
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return false;
    }
    return true;
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
            result.push_back(*reference);
        }
        return true;
    }

    // False for a string object (ASCII or UTF-16) whose text is not storable; true for any
    // other object, and for a string whose length does not fit the file (its readers refuse
    // that damage each in its own way).
    bool hasStorableText(std::uint64_t object) const {
        auto type = typeOf(object);
        if (!type || (*type != 0x5 && *type != 0x6)) return true;
        std::uint64_t unitWidth = *type == 0x5 ? 1 : 2;
        auto header = headerOf(object);
        if (!header || header->position > data_.size() ||
            header->count > (data_.size() - header->position) / unitWidth)
            return true;
        if (unitWidth == 1) return PropertyListPrecheck::isStorableText(data_.substr(header->position, header->count));
        bool expectLowSurrogate = false;
        for (std::uint64_t unit = 0; unit < header->count; ++unit) {
            auto at = header->position + unit * 2;
            auto value = static_cast<std::uint16_t>((static_cast<unsigned char>(data_[at]) << 8) |
                                                    static_cast<unsigned char>(data_[at + 1]));
            bool isLow = value >= 0xDC00 && value <= 0xDFFF;
            if (value == 0 || isLow != expectLowSurrogate) return false;
            expectLowSurrogate = value >= 0xD800 && value <= 0xDBFF;
        }
        return !expectLowSurrogate;
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
    bool badText = false;
    auto enter = [&](std::uint64_t object) {
        if (!layout.hasStorableText(object)) {
            badText = true;
            return false;
        }
        std::size_t first = children.size();
        if (!layout.appendChildren(object, children)) return false;
        state[object] = open;
        stack.push_back({object, first, first});
        return true;
    };
    // Depth-first over the object graph without recursion; every object is expanded once
    // and remembers how many objects the parser would make of it.
    auto malformed = [&] { return refuse(reason, badText ? "text that is not valid Unicode" : "malformed object"); };
    if (!enter(layout.topObject())) return malformed();
    while (!stack.empty()) {
        auto& frame = stack.back();  // its children run from firstChild to the end of the list
        if (frame.next < children.size()) {
            auto child = children[frame.next++];
            if (state[child] == open) return refuse(reason, "reference cycle");
            if (state[child] == unvisited) {
                if (stack.size() >= maximumDepth) return refuse(reason, "nested too deeply");
                if (!enter(child)) return malformed();
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
    if (!isStorableText(data)) return refuse(reason, "text that is not valid Unicode");
    std::size_t depth = 0;
    std::size_t position = 0;
    std::size_t textStart = 0;
    auto startsWithTag = [&](std::size_t at, std::string_view name) {
        if (data.substr(at, name.size()) != name) return false;
        auto after = at + name.size();
        return after < data.size() && (data[after] == '>' || data[after] == '/' || data[after] == ' ' ||
                                       data[after] == '\t' || data[after] == '\r' || data[after] == '\n');
    };
    while ((position = data.find('<', position)) != std::string_view::npos) {
        if (!referencesAreStorable(data.substr(textStart, position - textStart)))
            return refuse(reason, "text that is not valid Unicode");
        auto rest = data.substr(position);
        if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[")) {
            auto end = data.find(rest.starts_with("<!--") ? "-->" : "]]>", position + 4);
            if (end == std::string_view::npos) return true;  // unterminated: the parser refuses it
            position = textStart = end + 3;
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
        position = textStart = close + 1;
    }
    return true;
}

bool PropertyListPrecheck::isStorableText(std::string_view text) {
    return !std::memchr(text.data(), 0, text.size()) && isValidUTF8(text);
}

}  // namespace foundation
