#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"

#include <memory>
#include <string_view>

namespace foundation {

// JSON to objects and back. Objects become Dictionary, arrays Array, strings String,
// true/false Booleans (Number of boolean kind, never confused with 1/0), integers integer
// Numbers (unsigned beyond the signed range), integers beyond 64 bits and other numbers
// doubles, null the Null object. Reading rejects the whole document when any part of it is
// invalid, empty or not UTF-8, or nested deeper than 1024 levels (NSCocoaErrorDomain 3840
// with a description). Stateless; safe from any thread.
class JSONSerialization {
public:
    enum ReadingOptions : unsigned { none = 0, fragmentsAllowed = 4 };
    enum WritingOptions : unsigned { compact = 0, prettyPrinted = 1, sortedKeys = 2, withoutEscapingSlashes = 8 };

    static objc::Id JSONObjectWithData(std::string_view data, unsigned options = none,
                                       std::shared_ptr<Error>* error = nullptr);
    static objc::Id JSONObjectWithData(const Data& data, unsigned options = none,
                                       std::shared_ptr<Error>* error = nullptr) {
        return JSONObjectWithData(data.view(), options, error);
    }
    // Nil and error 3851 for objects JSON cannot hold.
    static std::shared_ptr<Data> dataWithJSONObject(const objc::Id& object, unsigned options = compact,
                                                    std::shared_ptr<Error>* error = nullptr);
    static bool isValidJSONObject(const objc::Id& object);
};

}  // namespace foundation
