#include "platform/foundation/Number.hpp"

#include "platform/objc/Class.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

namespace foundation {

Number::Number(Kind kind, std::int64_t integer, std::uint64_t unsignedInteger, double real)
    : objc::Object(objc::defineClass("NSNumber")), kind_(kind), integer_(integer), unsigned_(unsignedInteger),
      real_(real) {}

std::shared_ptr<Number> Number::withBool(bool value) {
    return std::make_shared<Number>(Kind::boolean, value ? 1 : 0, value ? 1 : 0, value ? 1.0 : 0.0);
}

std::shared_ptr<Number> Number::withInteger(std::int64_t value) {
    return std::make_shared<Number>(Kind::integer, value, static_cast<std::uint64_t>(value),
                                    static_cast<double>(value));
}

std::shared_ptr<Number> Number::withUnsigned(std::uint64_t value) {
    return std::make_shared<Number>(Kind::unsignedInteger, static_cast<std::int64_t>(value), value,
                                    static_cast<double>(value));
}

std::shared_ptr<Number> Number::withDouble(double value) {
    std::int64_t integer = 0;
    if (std::isfinite(value) && value < 9.2e18 && value > -9.2e18) integer = static_cast<std::int64_t>(value);
    return std::make_shared<Number>(Kind::real, integer, static_cast<std::uint64_t>(integer), value);
}

bool Number::boolValue() const { return kind_ == Kind::real ? real_ != 0.0 : integer_ != 0; }
std::int64_t Number::integerValue() const { return integer_; }
std::uint64_t Number::unsignedValue() const { return unsigned_; }
double Number::doubleValue() const { return real_; }

std::string Number::stringValue() const {
    char buffer[64];
    switch (kind_) {
    case Kind::boolean:
    case Kind::integer:
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(integer_));
        break;
    case Kind::unsignedInteger:
        std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(unsigned_));
        break;
    case Kind::real:
        std::snprintf(buffer, sizeof buffer, "%.17g", real_);
        // Prefer the shortest text that reads back to the same value.
        for (int precision = 1; precision <= 17; ++precision) {
            char shorter[64];
            std::snprintf(shorter, sizeof shorter, "%.*g", precision, real_);
            if (std::strtod(shorter, nullptr) == real_) {
                std::snprintf(buffer, sizeof buffer, "%s", shorter);
                break;
            }
        }
        break;
    }
    return buffer;
}

bool Number::isEqual(const objc::Object& other) const {
    auto* number = dynamic_cast<const Number*>(&other);
    if (!number) return false;
    if (kind_ == Kind::real || number->kind_ == Kind::real) return real_ == number->real_;
    if (kind_ == Kind::unsignedInteger || number->kind_ == Kind::unsignedInteger) {
        bool negative = (kind_ != Kind::unsignedInteger && integer_ < 0) ||
                        (number->kind_ != Kind::unsignedInteger && number->integer_ < 0);
        return !negative && unsigned_ == number->unsigned_;
    }
    return integer_ == number->integer_;
}

std::size_t Number::hash() const {
    if (kind_ == Kind::real && real_ != std::floor(real_)) return std::hash<double>{}(real_);
    return std::hash<std::int64_t>{}(integer_);
}

std::shared_ptr<Number> numberValue(const objc::Id& object) { return std::dynamic_pointer_cast<Number>(object); }

}  // namespace foundation
