#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"

#include <memory>
#include <string_view>

namespace foundation {

enum class PropertyListFormat { openStep = 1, xml = 100, binary = 200 };

// Property lists (binary and XML) to objects and back: dictionaries, arrays, strings,
// numbers (Booleans kept apart), data and dates. Reading accepts binary and XML and reports
// the one found; malformed input, and text that is not valid UTF-8 or holds U+0000, give nil
// and an error (NSCocoaErrorDomain 3840); such text cannot be written either (3851). Integers
// are signed 64-bit; unsigned values beyond that range cannot be written. Dates are kept to
// the bit in the binary form; the XML form holds whole seconds of the years 1 to 9999 and
// refuses other dates. What is read can be written back in its format and reads back equal.
// Stateless; safe from any thread.
class PropertyListSerialization {
public:
    static objc::Id propertyListWithData(std::string_view data, PropertyListFormat* format = nullptr,
                                         std::shared_ptr<Error>* error = nullptr);
    static objc::Id propertyListWithData(const Data& data, PropertyListFormat* format = nullptr,
                                         std::shared_ptr<Error>* error = nullptr) {
        return propertyListWithData(data.view(), format, error);
    }
    // Nil and an error for objects a property list cannot hold (nil, Null, URLs...).
    static std::shared_ptr<Data> dataWithPropertyList(const objc::Id& object, PropertyListFormat format,
                                                      std::shared_ptr<Error>* error = nullptr);
    // Whether dataWithPropertyList would succeed for the object in the format.
    static bool propertyListIsValidForFormat(const objc::Id& object, PropertyListFormat format);
};

}  // namespace foundation
