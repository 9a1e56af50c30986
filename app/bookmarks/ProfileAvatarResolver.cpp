#include "app/bookmarks/ProfileAvatarResolver.hpp"

#include "app/bookmarks/BrowserProfile.hpp"
#include "app/bookmarks/ChromiumBasePaths.hpp"
#include "app/bookmarks/ChromiumLocalState.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>
#include <charconv>

namespace kestrelvault {

namespace {

constexpr std::string_view avatarIconPrefix = "chrome://theme/IDR_PROFILE_AVATAR_";
constexpr std::int64_t unusedAvatarIndex = 26;

foundation::ProcessWide<ProfileAvatarResolver> sharedInstance;

bool hasBuiltInIcons(BrowserType browser) { return browser == BrowserType::chrome || browser == BrowserType::brave; }

std::shared_ptr<appkit::Image> accountPicture(const std::filesystem::path& base, const std::string& directory,
                                              const ChromiumProfileInfo& info) {
    if (!info.gaiaPictureFileName) return nullptr;
    auto file = chromiumProfileFile(base, directory, *info.gaiaPictureFileName);
    return file ? appkit::Image::imageWithContentsOfFile(*file) : nullptr;
}

}  // namespace

std::shared_ptr<ProfileAvatarResolver> ProfileAvatarResolver::shared() { return sharedInstance.get(); }

void ProfileAvatarResolver::resetForTesting() { sharedInstance.reset(); }

ProfileAvatarResolver::ProfileAvatarResolver() {
    for (BrowserType browser : allBrowserTypes)
        if (auto base = chromiumBasePath(browser)) chromiumBasePaths_.emplace(browser, *base);
}

std::shared_ptr<appkit::Image> ProfileAvatarResolver::avatar(BrowserType browser, const std::string& profileDirectory) {
    dispatch::checkMainThread();
    auto key = profileIdentifier(browser, profileDirectory);
    if (auto cached = cache_.find(key); cached != cache_.end()) return cached->second;
    auto image = resolveAvatar(browser, profileDirectory);
    cache_.emplace(std::move(key), image);
    return image;
}

std::shared_ptr<appkit::Image> ProfileAvatarResolver::resolveAvatar(BrowserType browser,
                                                                    const std::string& profileDirectory) const {
    auto base = chromiumBasePaths_.find(browser);
    if (base == chromiumBasePaths_.end()) return nullptr;
    auto entries = readChromiumProfileInfo(base->second);
    auto entry =
        std::find_if(entries.begin(), entries.end(), [&](auto& pair) { return pair.first == profileDirectory; });
    if (entry == entries.end()) return nullptr;
    const ChromiumProfileInfo& info = entry->second;

    bool triedAccountPicture = info.useGaiaPicture == true;
    if (triedAccountPicture)
        if (auto picture = accountPicture(base->second, profileDirectory, info)) return picture;
    if (hasBuiltInIcons(browser) && info.avatarIcon) {
        auto index = avatarIndex(*info.avatarIcon);
        if (index && *index != unusedAvatarIndex)
            if (auto icon = appkit::Image::imageNamed("ChromiumAvatars/avatar_" + std::to_string(*index))) return icon;
    }
    if (!triedAccountPicture) return accountPicture(base->second, profileDirectory, info);
    return nullptr;
}

std::optional<std::int64_t> ProfileAvatarResolver::avatarIndex(std::string_view avatarIcon) {
    if (!avatarIcon.starts_with(avatarIconPrefix)) return std::nullopt;
    std::string_view rest = avatarIcon.substr(avatarIconPrefix.size());
    // A sign, then digits only: from_chars alone would take "-" but not "+", and stop early.
    std::string_view digits = rest;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (rest.front() == '+') rest.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
    return value;
}

}  // namespace kestrelvault
