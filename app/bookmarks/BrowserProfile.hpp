#pragma once

#include "app/bookmarks/BrowserType.hpp"

#include <cstddef>
#include <string>

namespace kestrelvault {

// One profile of one browser. A plain value.
struct BrowserProfile {
    std::string id;  // raw value ":" directory
    BrowserType browser = BrowserType::chrome;
    std::string directory;
    std::string displayName;

    static BrowserProfile make(BrowserType browser, std::string directory, std::string displayName);

    bool operator==(const BrowserProfile&) const = default;
};

// The identifier of a browser's profile directory: raw value ":" directory.
std::string profileIdentifier(BrowserType browser, std::string_view directory);

}  // namespace kestrelvault

template <>
struct std::hash<kestrelvault::BrowserProfile> {
    std::size_t operator()(const kestrelvault::BrowserProfile& profile) const noexcept;
};
