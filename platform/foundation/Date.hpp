#pragma once

#include "platform/objc/Object.hpp"

namespace foundation {

// A point in time. It keeps its seconds since the reference date, as the platform does, so
// dates read from property lists (which count from there) are written back to the bit.
class Date final : public objc::Object {
public:
    static std::shared_ptr<Date> make(double secondsSince1970) {
        return dateWithTimeIntervalSinceReferenceDate(secondsSince1970 - referenceDateOffset);
    }
    static std::shared_ptr<Date> dateWithTimeIntervalSinceReferenceDate(double seconds) {
        return std::make_shared<Date>(seconds);
    }
    // The current wall time of the process clock (the manual clock in tests).
    static std::shared_ptr<Date> now();

    // Seconds between 1970 and the platform's reference date, 2001-01-01.
    static constexpr double referenceDateOffset = 978307200.0;

    // Use make or dateWithTimeIntervalSinceReferenceDate.
    explicit Date(double secondsSinceReferenceDate);

    double timeIntervalSince1970() const { return seconds_ + referenceDateOffset; }
    double timeIntervalSinceReferenceDate() const { return seconds_; }

    // "2001-01-01 00:00:00 +0000"
    std::string description() const override;
    bool isEqual(const objc::Object& other) const override;
    std::size_t hash() const override;

private:
    double seconds_;  // since the reference date
};

}  // namespace foundation
