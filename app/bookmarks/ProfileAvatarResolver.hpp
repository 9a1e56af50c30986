#pragma once

#include "app/bookmarks/BrowserType.hpp"
#include "platform/appkit/Image.hpp"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kestrelvault {

// Finds a profile's picture: the account picture a Chromium browser keeps in the profile
// directory or one of its built-in avatar icons from the application's assets. Answers,
// also "none", are kept for the life of the process. One shared instance; main thread only.
class ProfileAvatarResolver {
public:
    static std::shared_ptr<ProfileAvatarResolver> shared();
    // Test support: a fresh resolver with an empty cache (and base paths from today's home).
    static void resetForTesting();

    // The cached answer for "<raw value>:<directory>", resolving it on first use.
    std::shared_ptr<appkit::Image> avatar(BrowserType browser, const std::string& profileDirectory);
    // Reads "Local State" and the files it names; null when there is no picture.
    std::shared_ptr<appkit::Image> resolveAvatar(BrowserType browser, const std::string& profileDirectory) const;
    // The index at the end of "chrome://theme/IDR_PROFILE_AVATAR_<n>", a signed decimal
    // integer that fits 64 bits; nullopt for anything else.
    static std::optional<std::int64_t> avatarIndex(std::string_view avatarIcon);

    ProfileAvatarResolver();

private:
    std::unordered_map<std::string, std::shared_ptr<appkit::Image>> cache_;
    std::map<BrowserType, std::filesystem::path> chromiumBasePaths_;
};

}  // namespace kestrelvault
