#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace appkit {

// What the workspace reads from an application bundle's Contents/Info.plist. A plain value.
struct ApplicationBundleInfo {
    std::string bundleIdentifier;
    std::optional<std::string> executable;
    std::optional<std::string> iconFile;
    // The URL schemes it opens (CFBundleURLSchemes of its CFBundleURLTypes).
    std::vector<std::string> urlSchemes;

    bool opensScheme(std::string_view scheme) const;

    // Nullopt unless <bundle>/Contents/Info.plist is a property list (any format) whose top
    // level is a dictionary with a string CFBundleIdentifier.
    static std::optional<ApplicationBundleInfo> read(const std::filesystem::path& bundle);
};

}  // namespace appkit
