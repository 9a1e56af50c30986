#pragma once

#include "platform/objc/Object.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// An immutable UTF-8 string object; compares by value.
class String final : public objc::Object {
public:
    explicit String(std::string value);
    static std::shared_ptr<String> make(std::string value) { return std::make_shared<String>(std::move(value)); }

    const std::string& value() const { return value_; }

    std::string description() const override { return value_; }
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    std::string value_;
};

// The string value of an object that is a String; nullopt for anything else (nil included).
std::optional<std::string> stringValue(const objc::Id& object);

// Whether the bytes are well-formed UTF-8: Unicode scalar values only (no surrogates, no
// overlong forms, nothing past U+10FFFF). Text that fails this is refused wherever it would
// be stored or read as a string.
bool isValidUTF8(std::string_view bytes);

}  // namespace foundation
