#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/SecureCoding.hpp"

#include <plist/plist.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace foundation {

// Writes an object graph into a keyed archive (a binary property list). Every archive is a
// secure one: the strings, numbers, data, dates, nulls, arrays and dictionaries of this
// layer, and objects that implement SecureCoding. An archiver lives for one archiving call
// on one thread.
class KeyedArchiver {
public:
    // The archive, or nil and an error (NSCocoaErrorDomain, NSCoderInvalidValueError) when
    // the graph holds an object that cannot be archived, or nests deeper than an archive can
    // be read back (a graph that holds itself does).
    static std::shared_ptr<Data> archivedDataWithRootObject(const objc::Id& root, std::shared_ptr<Error>* error);

    // For SecureCoding::encodeWithCoder. Nil objects are not written (they decode as nil).
    void encodeObject(const objc::Id& object, std::string_view key);
    void encodeInt64(std::int64_t value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    void encodeBool(bool value, std::string_view key);

    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

private:
    KeyedArchiver(plist_t fields, std::size_t depth) : fields_(fields), depth_(depth) {}
    // depth: how many objects enclose this one.
    static plist_t encodeNode(const objc::Id& object, std::size_t depth, std::shared_ptr<Error>& failure);

    plist_t fields_;  // the dictionary of the object being encoded, owned by its node
    std::size_t depth_;
    std::shared_ptr<Error> failure_;
};

}  // namespace foundation
