#pragma once

#include "app/bookmarks/BrowserType.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace kestrelvault {

// One bookmark as a reader found it; created once, never changed. A plain value.
// Identifiers are not unique: the same URL saved twice gives two bookmarks with one id.
struct Bookmark {
    std::string id;
    std::string name;
    std::string url;
    std::string folderPath;  // outermost folder first, joined by "/"
    BrowserType browser = BrowserType::chrome;
    std::string profileDirectory;
    std::string profileDisplayName;
    std::optional<std::string> profilePicturePath;  // absent is not the same as empty

    bool operator==(const Bookmark&) const = default;
};

}  // namespace kestrelvault

template <>
struct std::hash<kestrelvault::Bookmark> {
    std::size_t operator()(const kestrelvault::Bookmark& bookmark) const noexcept;
};
