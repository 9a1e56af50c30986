#include "platform/foundation/PropertyListDate.hpp"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace foundation {

namespace {

// A binary list of one object: header, the date object (marker and big-endian double), the
// offset table and the trailer (one-byte offsets and references, one object, top 0).
constexpr std::size_t headerLength = 8;
constexpr std::size_t dateMarkerOffset = headerLength;
constexpr std::size_t dateValueOffset = dateMarkerOffset + 1;
constexpr unsigned char dateMarker = 0x33;

std::string oneDateList(double seconds) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    std::string list = "bplist00";
    list += static_cast<char>(dateMarker);
    for (int shift = 56; shift >= 0; shift -= 8) list += static_cast<char>((bits >> shift) & 0xFF);
    auto offsetTable = list.size();
    list += static_cast<char>(dateMarkerOffset);
    list += std::string(6, '\0');
    list += '\x01';  // offset width
    list += '\x01';  // reference width
    for (std::uint64_t field : {std::uint64_t{1}, std::uint64_t{0}, std::uint64_t{offsetTable}})
        for (int shift = 56; shift >= 0; shift -= 8) list += static_cast<char>((field >> shift) & 0xFF);
    return list;
}

}  // namespace

double PropertyListDate::interval(plist_t node) {
    std::unique_ptr<void, decltype(&plist_free)> copy(plist_copy(node), &plist_free);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(copy.get(), &bytes, &length);
    std::unique_ptr<char, decltype(&plist_to_bin_free)> owner(bytes, &plist_to_bin_free);
    // The writer puts the only object right after the header, as a date with a double.
    if (!bytes || length < dateValueOffset + 8 || static_cast<unsigned char>(bytes[dateMarkerOffset]) != dateMarker)
        return 0.0;
    std::uint64_t bits = 0;
    for (std::size_t index = 0; index < 8; ++index)
        bits = (bits << 8) | static_cast<unsigned char>(bytes[dateValueOffset + index]);
    double seconds = 0.0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
}

plist_t PropertyListDate::makeNode(double secondsSinceReferenceDate) {
    auto list = oneDateList(secondsSinceReferenceDate);
    plist_t node = nullptr;
    plist_from_bin(list.data(), static_cast<std::uint32_t>(list.size()), &node);
    return node;
}

}  // namespace foundation
