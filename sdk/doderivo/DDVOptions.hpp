#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// The options a Doderivo app is configured with, read from the service property list
// "ZadizuService-Info.plist". Immutable once made; safe to share between threads.
class DDVOptions {
public:
    // The options of the plist in the main bundle's resources; nil when there is none or it
    // is not a property-list dictionary.
    static std::shared_ptr<DDVOptions> defaultOptions();
    // Nil when the file is missing, unreadable or not a property-list dictionary.
    static std::shared_ptr<DDVOptions> optionsWithContentsOfFile(const std::filesystem::path& path);

    explicit DDVOptions(std::shared_ptr<foundation::Dictionary> values);

    // "APP_ID", "API_KEY", "PROJECT_ID"; absent when the plist lacks them.
    std::optional<std::string> appID() const;
    std::optional<std::string> APIKey() const;
    std::optional<std::string> projectID() const;
    // "BUNDLE_ID", else the main bundle's identifier.
    std::optional<std::string> bundleID() const;

    const std::shared_ptr<foundation::Dictionary>& dictionary() const { return values_; }

private:
    std::optional<std::string> stringForKey(const char* key) const;

    std::shared_ptr<foundation::Dictionary> values_;
};

inline constexpr const char* kDDVServiceInfoFileName = "ZadizuService-Info";
inline constexpr const char* kDDVServiceInfoFileType = "plist";
