#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrelvault {

// What a Chromium browser's "Local State" says about one profile (profile → info_cache →
// directory); members of another type than expected read as absent. A plain value.
struct ChromiumProfileInfo {
    std::optional<std::string> name;
    std::optional<std::string> gaiaPictureFileName;
    std::optional<bool> useGaiaPicture;  // only a JSON Boolean counts
    std::optional<std::string> avatarIcon;
};

// Reads <base>/Local State. The entries of info_cache whose value is an object, in file
// order; empty when the file is missing, malformed or lacks the path. Any thread.
std::vector<std::pair<std::string, ChromiumProfileInfo>> readChromiumProfileInfo(const std::filesystem::path& basePath);

// <base>/<directory>/<file name>; none when either name, read from the browser's files, holds
// "/" or ".." or is ".", since the file must lie inside the profile directory.
std::optional<std::filesystem::path> chromiumProfileFile(const std::filesystem::path& basePath,
                                                         std::string_view directory, std::string_view fileName);

}  // namespace kestrelvault
