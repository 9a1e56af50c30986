#pragma once

#include "platform/objc/Object.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace foundation {

// A number that remembers what it was made from: a Boolean, a signed or unsigned integer,
// or a double. Conversions follow the platform (a Boolean reads as 0 or 1, a double is
// truncated toward zero); equality compares numeric values, as the platform does.
class Number final : public objc::Object {
public:
    enum class Kind { boolean, integer, unsignedInteger, real };

    static std::shared_ptr<Number> withBool(bool value);
    static std::shared_ptr<Number> withInteger(std::int64_t value);
    static std::shared_ptr<Number> withUnsigned(std::uint64_t value);
    static std::shared_ptr<Number> withDouble(double value);

    Kind kind() const { return kind_; }
    bool isBoolean() const { return kind_ == Kind::boolean; }

    bool boolValue() const;
    std::int64_t integerValue() const;
    std::uint64_t unsignedValue() const;
    double doubleValue() const;
    std::string stringValue() const;

    std::string description() const override { return stringValue(); }
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

    Number(Kind kind, std::int64_t integer, std::uint64_t unsignedInteger, double real);

private:
    Kind kind_;
    std::int64_t integer_;
    std::uint64_t unsigned_;
    double real_;
};

std::shared_ptr<Number> numberValue(const objc::Id& object);

}  // namespace foundation
