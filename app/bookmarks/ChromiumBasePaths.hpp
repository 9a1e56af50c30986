#pragma once

#include "app/bookmarks/BrowserType.hpp"

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrelvault {

// Where each Chromium-family browser keeps its data, relative to the user's home; nullopt
// for Safari and Firefox.
std::optional<std::string_view> chromiumRelativeBasePath(BrowserType browser);
// The same under the current user's home directory.
std::optional<std::filesystem::path> chromiumBasePath(BrowserType browser);

}  // namespace kestrelvault
