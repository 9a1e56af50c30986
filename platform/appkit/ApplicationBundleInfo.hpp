#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace appkit {

// What the workspace reads from an application bundle's Contents/Info.plist. A plain value.
struct ApplicationBundleInfo {
    std::string bundleIdentifier;
    std::optional<std::string> executable;
    std::optional<std::string> iconFile;

    // Nullopt unless <bundle>/Contents/Info.plist is a property list (any format) whose top
    // level is a dictionary with a string CFBundleIdentifier.
    static std::optional<ApplicationBundleInfo> read(const std::filesystem::path& bundle);
};

}  // namespace appkit
