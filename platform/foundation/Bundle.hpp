#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

// An application or resource bundle laid out as on macOS: <path>/Contents/Info.plist and
// <path>/Contents/Resources for an application, or Info.plist and resources at the top of a
// plain resource bundle. String tables are property-list ".strings" files in
// "<language>.lproj" (binary or XML property lists, or the `"key" = "value";` text form);
// image assets are PNG files at Resources/Assets/<asset name>.png (the name may contain
// "/"). Immutable after loading; safe to use from any thread.
class Bundle {
public:
    // The .app around the running executable, or the directory set by tests.
    static std::shared_ptr<Bundle> mainBundle();
    static void setMainBundlePathForTesting(std::optional<std::filesystem::path> path);
    // Nil when no directory exists at the path.
    static std::shared_ptr<Bundle> bundleWithPath(const std::filesystem::path& path);
    // .../X.app/Contents/MacOS/X gives .../X.app; any other executable its own folder.
    static std::filesystem::path mainBundlePathForExecutable(const std::filesystem::path& executable);

    virtual ~Bundle() = default;

    virtual const std::filesystem::path& bundlePath() const = 0;
    virtual std::filesystem::path resourcePath() const = 0;
    virtual std::optional<std::string> bundleIdentifier() const = 0;
    virtual std::shared_ptr<Dictionary> infoDictionary() const = 0;
    virtual objc::Id objectForInfoDictionaryKey(const std::string& key) const = 0;
    // Path of a resource ("name.ext" or name plus extension) in Resources; nullopt when absent.
    virtual std::optional<std::filesystem::path> pathForResource(const std::string& name,
                                                                 const std::string& extension) const = 0;
    // Looks the key up in <table>.strings ("Localizable" by default) of the preferred
    // language: the process's languages in order ("AppleLanguages" in the global domain,
    // then $LANG), then the bundle's development language, then "en". Falls back to the
    // value when one is given and not empty, else to the key.
    virtual std::string localizedStringForKey(const std::string& key, const std::string& value = "",
                                              const std::string& table = "") const = 0;
    // The path of the PNG file of an image asset, nullopt when the bundle has none.
    virtual std::optional<std::filesystem::path> imagePathForAsset(const std::string& name) const = 0;
};

// The preferred languages of the process, most preferred first (e.g. "ja", "en").
std::vector<std::string> preferredLanguages();

}  // namespace foundation
