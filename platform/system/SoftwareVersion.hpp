#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace updates {

// A dotted version number ("1", "1.2", "10.0.3"). Components compare numerically, however
// long, and missing components count as zero, so "1.2" equals "1.2.0" and precedes
// "1.10". A plain value.
class SoftwareVersion {
public:
    // Nullopt unless the text is one or more groups of decimal digits joined by single dots.
    static std::optional<SoftwareVersion> parse(std::string_view text);

    const std::string& text() const { return text_; }

    friend std::strong_ordering operator<=>(const SoftwareVersion& left, const SoftwareVersion& right);
    friend bool operator==(const SoftwareVersion& left, const SoftwareVersion& right) {
        return (left <=> right) == std::strong_ordering::equal;
    }

private:
    std::string text_;
    std::vector<std::string> components_;  // without leading zeros; "0" is ""
};

}  // namespace updates
