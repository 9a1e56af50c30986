#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/SecureCoding.hpp"
#include "platform/objc/Class.hpp"

#include <plist/plist.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace foundation {

// Reads a keyed archive with secure coding: every object's archived class must be one of the
// classes the caller allows (or a subclass), else decoding fails with NSCoderReadCorruptError
// and nothing of that class is made. Inside arrays and dictionaries the property-list classes
// are allowed as well. An unarchiver lives for one call on one thread.
class KeyedUnarchiver {
public:
    // The root object, or nil and an error (NSCocoaErrorDomain, NSCoderReadCorruptError) when
    // the data is not an archive or the root is of another class.
    static objc::Id unarchivedObjectOfClass(const objc::Class* runtimeClass, const Data& data,
                                            std::shared_ptr<Error>* error);
    static objc::Id unarchivedObjectOfClasses(const std::vector<const objc::Class*>& classes, const Data& data,
                                              std::shared_ptr<Error>* error);

    // Makes objects of the class decodable (process-wide; a later registration replaces one).
    static void registerClass(const objc::Class* runtimeClass, SecureDecoder initWithCoder);

    // For decoders: nil when the key is absent; nil and a failure when its class is not allowed.
    objc::Id decodeObjectOfClass(const objc::Class* runtimeClass, std::string_view key);
    objc::Id decodeObjectOfClasses(const std::vector<const objc::Class*>& classes, std::string_view key);
    // 0, 0.0 or false when the key is absent or holds another kind of value.
    std::int64_t decodeInt64ForKey(std::string_view key) const;
    double decodeDoubleForKey(std::string_view key) const;
    bool decodeBoolForKey(std::string_view key) const;
    bool containsValueForKey(std::string_view key) const;
    // Fails the whole decoding with this error (the first failure wins).
    void failWithError(std::shared_ptr<Error> error);
    const std::shared_ptr<Error>& error() const { return failure_; }

    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

private:
    explicit KeyedUnarchiver(plist_t fields) : fields_(fields) {}
    objc::Id decodeNode(plist_t node, const std::vector<const objc::Class*>& allowed, std::string_view key);

    plist_t fields_;  // the dictionary of the object being decoded, owned by the archive
    std::shared_ptr<Error> failure_;
};

}  // namespace foundation
