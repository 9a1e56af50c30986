#pragma once

#include "platform/objc/Object.hpp"

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace foundation {

// One argument of a printf-style format: an object for %@ (nil prints "(null)"), an
// integer, a floating-point number, a C string or a pointer.
class FormatArgument {
public:
    FormatArgument(std::nullptr_t) : value_(objc::Id()) {}
    template <class T>
        requires std::derived_from<T, objc::Object>
    FormatArgument(const std::shared_ptr<T>& object) : value_(objc::Id(object)) {}
    template <std::signed_integral T>
    FormatArgument(T value) : value_(static_cast<std::int64_t>(value)) {}
    template <std::unsigned_integral T>
    FormatArgument(T value) : value_(static_cast<std::uint64_t>(value)) {}
    FormatArgument(bool value) : value_(static_cast<std::int64_t>(value)) {}
    FormatArgument(double value) : value_(value) {}
    FormatArgument(const char* text) : value_(text ? std::string(text) : std::string("(null)")) {}
    FormatArgument(std::string text) : value_(std::move(text)) {}
    FormatArgument(std::string_view text) : value_(std::string(text)) {}
    FormatArgument(const void* pointer) : value_(pointer) {}

    using Value = std::variant<objc::Id, std::int64_t, std::uint64_t, double, std::string, const void*>;
    const Value& value() const { return value_; }

private:
    Value value_;
};

// Formats like the platform's string formatting: %@ prints an object's description (a
// string argument prints itself), the C conversions (d i u x X o c s f g e p, with flags,
// width, precision and the l, ll, z, h length modifiers) print as printf does, %% prints
// "%". A missing argument prints nothing for its conversion.
std::string formatWithArguments(std::string_view format, std::span<const FormatArgument> arguments);

template <class... Arguments>
std::string format(std::string_view text, const Arguments&... arguments) {
    std::array<FormatArgument, sizeof...(Arguments)> list{FormatArgument(arguments)...};
    return formatWithArguments(text, list);
}

}  // namespace foundation
