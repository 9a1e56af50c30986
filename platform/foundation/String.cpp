#include "platform/foundation/String.hpp"

#include "platform/objc/Class.hpp"

#include <simdjson.h>

#include <functional>

namespace foundation {

String::String(std::string value) : objc::Object(objc::defineClass("NSString")), value_(std::move(value)) {}

bool String::isEqual(const objc::Object& other) const {
    auto* string = dynamic_cast<const String*>(&other);
    return string && string->value_ == value_;
}

std::size_t String::hash() const { return std::hash<std::string>{}(value_); }

std::optional<std::string> stringValue(const objc::Id& object) {
    if (auto string = std::dynamic_pointer_cast<String>(object)) return string->value();
    return std::nullopt;
}

bool isValidUTF8(std::string_view bytes) { return simdjson::validate_utf8(bytes.data(), bytes.size()); }

}  // namespace foundation
