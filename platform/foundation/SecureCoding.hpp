#pragma once

#include "platform/objc/Object.hpp"

#include <cstdint>
#include <functional>

namespace foundation {

class KeyedArchiver;
class KeyedUnarchiver;

// Coder error codes (NSCocoaErrorDomain).
inline constexpr std::int64_t NSCoderReadCorruptError = 4864;
inline constexpr std::int64_t NSCoderValueNotFoundError = 4865;
inline constexpr std::int64_t NSCoderInvalidValueError = 4866;

// An object that can be archived with secure coding: it writes its state to the archiver
// under keys of its own. Its runtime class names it in the archive, and decoding it needs a
// decoder registered for that class (KeyedUnarchiver::registerClass).
class SecureCoding {
public:
    virtual ~SecureCoding() = default;
    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
};

// Makes an object from the values its encodeWithCoder wrote; nil (after failWithError, or
// not) when the archive does not hold a valid one.
using SecureDecoder = std::function<objc::Id(KeyedUnarchiver& coder)>;

}  // namespace foundation
