#include "app/bookmarks/BinaryPropertyList.hpp"

#include <unicode/ustring.h>

#include <climits>

namespace kestrelvault {

namespace {

constexpr std::string_view magic = "bplist00";
constexpr std::size_t trailerSize = 32;

}  // namespace

std::optional<BinaryPropertyList> BinaryPropertyList::open(std::string_view data) {
    if (data.size() < magic.size() + trailerSize || !data.starts_with(magic)) return std::nullopt;
    BinaryPropertyList list(data);
    std::uint64_t trailer = data.size() - trailerSize;
    list.offsetWidth_ = static_cast<unsigned char>(data[trailer + 6]);
    list.referenceWidth_ = static_cast<unsigned char>(data[trailer + 7]);
    if (list.offsetWidth_ == 0 || list.offsetWidth_ > 8 || list.referenceWidth_ == 0 || list.referenceWidth_ > 8)
        return std::nullopt;
    auto count = list.bigEndian(trailer + 8, 8);
    auto top = list.bigEndian(trailer + 16, 8);
    auto table = list.bigEndian(trailer + 24, 8);
    if (!count || !top || !table || *top >= *count || *table > trailer ||
        *count > (trailer - *table) / list.offsetWidth_)
        return std::nullopt;
    list.objectCount_ = *count;
    list.top_ = *top;
    list.offsetTable_ = *table;
    return list;
}

std::optional<std::uint64_t> BinaryPropertyList::bigEndian(std::uint64_t offset, unsigned width) const {
    if (offset > data_.size() || width > data_.size() - offset) return std::nullopt;
    std::uint64_t value = 0;
    for (unsigned index = 0; index < width; ++index)
        value = (value << 8) | static_cast<unsigned char>(data_[offset + index]);
    return value;
}

std::optional<std::uint64_t> BinaryPropertyList::offsetOf(Object object) const {
    if (object >= objectCount_) return std::nullopt;
    auto offset = bigEndian(offsetTable_ + object * offsetWidth_, offsetWidth_);
    if (!offset || *offset >= data_.size()) return std::nullopt;
    return offset;
}

unsigned char BinaryPropertyList::marker(Object object) const {
    auto offset = offsetOf(object);
    return offset ? static_cast<unsigned char>(data_[*offset]) : 0;  // 0 is null, of no kind asked for
}

std::optional<BinaryPropertyList::Extent> BinaryPropertyList::extentOf(Object object, unsigned kind,
                                                                      std::uint64_t unitWidth) const {
    auto offset = offsetOf(object);
    if (!offset) return std::nullopt;
    auto byte = static_cast<unsigned char>(data_[*offset]);
    if (byte >> 4 != kind) return std::nullopt;
    Extent extent{static_cast<std::uint64_t>(byte & 0x0F), *offset + 1};
    if (extent.count == 0x0F) {  // the length follows as an integer object
        auto length = bigEndian(extent.position, 1);
        if (!length || (*length >> 4) != 0x1 || (*length & 0x0F) > 3) return std::nullopt;
        unsigned width = 1u << (*length & 0x0F);
        auto count = bigEndian(extent.position + 1, width);
        if (!count) return std::nullopt;
        extent = Extent{*count, extent.position + 1 + width};
    }
    if (extent.position > data_.size() || extent.count > (data_.size() - extent.position) / unitWidth)
        return std::nullopt;
    return extent;
}

std::optional<BinaryPropertyList::Object> BinaryPropertyList::reference(std::uint64_t position) const {
    auto object = bigEndian(position, referenceWidth_);
    if (!object || *object >= objectCount_) return std::nullopt;
    return object;
}

BinaryPropertyList::Object BinaryPropertyList::Elements::operator[](std::uint64_t index) const {
    // arrayElements checked that every reference lies in the data and names an object.
    return *list_->reference(position_ + index * list_->referenceWidth_);
}

std::optional<BinaryPropertyList::Elements> BinaryPropertyList::arrayElements(Object object) const {
    auto extent = extentOf(object, 0xA, referenceWidth_);
    if (!extent) return std::nullopt;
    for (std::uint64_t index = 0; index < extent->count; ++index)
        if (!reference(extent->position + index * referenceWidth_)) return std::nullopt;
    Elements elements;
    elements.list_ = this;
    elements.position_ = extent->position;
    elements.count_ = extent->count;
    return elements;
}

bool BinaryPropertyList::entries(Object dictionary, std::vector<std::pair<std::string, Object>>& entries) const {
    entries.clear();
    auto extent = extentOf(dictionary, 0xD, 2 * std::uint64_t{referenceWidth_});
    if (!extent) return false;
    std::string scratch;
    for (std::uint64_t index = 0; index < extent->count; ++index) {
        auto key = reference(extent->position + index * referenceWidth_);
        auto value = reference(extent->position + (extent->count + index) * referenceWidth_);
        if (!key || !value) return false;
        if (auto text = string(*key, scratch)) entries.emplace_back(*text, *value);
    }
    return true;
}

std::optional<std::string_view> BinaryPropertyList::string(Object object, std::string& scratch) const {
    if (auto ascii = extentOf(object, 0x5, 1)) return data_.substr(ascii->position, ascii->count);
    auto utf16 = extentOf(object, 0x6, 2);
    if (!utf16 || utf16->count > INT32_MAX / 3) return std::nullopt;
    std::vector<UChar> units(utf16->count);
    for (std::uint64_t index = 0; index < utf16->count; ++index)
        units[index] = static_cast<UChar>(*bigEndian(utf16->position + 2 * index, 2));
    scratch.resize(units.size() * 3);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(scratch.data(), static_cast<int32_t>(scratch.size()), &length, units.data(),
                       static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;
    scratch.resize(static_cast<std::size_t>(length));
    return std::string_view(scratch);
}

}  // namespace kestrelvault
