#pragma once

#include "platform/objc/Object.hpp"

namespace foundation {

// A point in time, as seconds since 1970-01-01 00:00:00 UTC.
class Date final : public objc::Object {
public:
    explicit Date(double secondsSince1970);
    static std::shared_ptr<Date> make(double secondsSince1970) { return std::make_shared<Date>(secondsSince1970); }
    // The current wall time of the process clock (the manual clock in tests).
    static std::shared_ptr<Date> now();

    // Seconds between 1970 and the platform's reference date, 2001-01-01.
    static constexpr double referenceDateOffset = 978307200.0;

    double timeIntervalSince1970() const { return seconds_; }
    double timeIntervalSinceReferenceDate() const { return seconds_ - referenceDateOffset; }

    // "2001-01-01 00:00:00 +0000"
    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    double seconds_;
};

}  // namespace foundation
