#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrelvault {

// Reads a binary property list where it lies, without building its objects: a value is
// decoded when it is asked for, so a large file costs neither the time nor the memory of a
// parsed tree. Every read is bounded by the data; the caller refuses reference cycles and
// runaway sharing beforehand (PropertyListPrecheck). Borrows the data, which must outlive
// it; immutable, any thread.
class BinaryPropertyList {
public:
    using Object = std::uint64_t;

    // The references held by an array, read one at a time.
    class Elements {
    public:
        std::uint64_t size() const { return count_; }
        Object operator[](std::uint64_t index) const;

    private:
        friend class BinaryPropertyList;
        const BinaryPropertyList* list_ = nullptr;
        std::uint64_t position_ = 0, count_ = 0;
    };

    // Nullopt unless the data starts as a binary property list with a sound trailer.
    static std::optional<BinaryPropertyList> open(std::string_view data);

    Object top() const { return top_; }
    bool isDictionary(Object object) const { return marker(object) >> 4 == 0xD; }
    // Nullopt when the object is not a well-formed array.
    std::optional<Elements> arrayElements(Object object) const;
    // The entries of a dictionary whose keys are text, in order (a repeated key appears
    // twice: the last one counts); false when the object is not a well-formed dictionary.
    bool entries(Object dictionary, std::vector<std::pair<std::string, Object>>& entries) const;
    // A string object in UTF-8: ASCII strings as a view into the data, UTF-16 ones
    // converted into `scratch`. Nullopt for any other object.
    std::optional<std::string_view> string(Object object, std::string& scratch) const;

private:
    struct Extent {
        std::uint64_t count;     // the length the marker (and its extension) gives
        std::uint64_t position;  // where the contents begin
    };

    explicit BinaryPropertyList(std::string_view data) : data_(data) {}
    std::optional<std::uint64_t> bigEndian(std::uint64_t offset, unsigned width) const;
    std::optional<std::uint64_t> offsetOf(Object object) const;
    unsigned char marker(Object object) const;
    // The extent of an object of kind `kind` (high marker nibble) whose contents are
    // `unitWidth` bytes per counted unit; nullopt when it is of another kind or overruns.
    std::optional<Extent> extentOf(Object object, unsigned kind, std::uint64_t unitWidth) const;
    std::optional<Object> reference(std::uint64_t position) const;

    std::string_view data_;
    unsigned offsetWidth_ = 0, referenceWidth_ = 0;
    std::uint64_t objectCount_ = 0, top_ = 0, offsetTable_ = 0;
};

}  // namespace kestrelvault
