#include "platform/system/SoftwareVersion.hpp"

#include <algorithm>

namespace updates {

namespace {

// Numbers of any length compare by their digits once leading zeros are gone.
std::strong_ordering compareComponents(const std::string& left, const std::string& right) {
    if (auto order = left.size() <=> right.size(); order != 0) return order;
    return left.compare(right) <=> 0;
}

}  // namespace

std::optional<SoftwareVersion> SoftwareVersion::parse(std::string_view text) {
    SoftwareVersion version;
    version.text_ = std::string(text);
    std::size_t start = 0;
    for (;;) {
        auto end = std::min(text.find('.', start), text.size());
        auto component = text.substr(start, end - start);
        if (component.empty() || !std::all_of(component.begin(), component.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        component.remove_prefix(std::min(component.find_first_not_of('0'), component.size()));
        version.components_.emplace_back(component);
        if (end == text.size()) return version;
        start = end + 1;
    }
}

std::strong_ordering operator<=>(const SoftwareVersion& left, const SoftwareVersion& right) {
    static const std::string zero;
    std::size_t count = std::max(left.components_.size(), right.components_.size());
    for (std::size_t index = 0; index < count; ++index) {
        const auto& a = index < left.components_.size() ? left.components_[index] : zero;
        const auto& b = index < right.components_.size() ? right.components_[index] : zero;
        if (auto order = compareComponents(a, b); order != 0) return order;
    }
    return std::strong_ordering::equal;
}

}  // namespace updates
