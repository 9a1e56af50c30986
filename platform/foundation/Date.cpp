#include "platform/foundation/Date.hpp"

#include "platform/foundation/Clock.hpp"
#include "platform/objc/Class.hpp"

#include <cmath>
#include <ctime>
#include <functional>

namespace foundation {

Date::Date(double secondsSinceReferenceDate)
    : objc::Object(objc::defineClass("NSDate")), seconds_(secondsSinceReferenceDate) {}

std::shared_ptr<Date> Date::now() { return make(Clock::wallSecondsSince1970()); }

std::string Date::description() const {
    std::time_t whole = static_cast<std::time_t>(std::floor(timeIntervalSince1970()));
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return buffer;
}

bool Date::isEqual(const objc::Object& other) const {
    auto* date = dynamic_cast<const Date*>(&other);
    return date && date->seconds_ == seconds_;
}

std::size_t Date::hash() const { return std::hash<double>{}(seconds_); }

}  // namespace foundation
