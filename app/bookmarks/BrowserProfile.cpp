#include "app/bookmarks/BrowserProfile.hpp"

#include "app/bookmarks/HashCombine.hpp"

namespace kestrelvault {

BrowserProfile BrowserProfile::make(BrowserType browser, std::string directory, std::string displayName) {
    BrowserProfile profile;
    profile.id = profileIdentifier(browser, directory);
    profile.browser = browser;
    profile.directory = std::move(directory);
    profile.displayName = std::move(displayName);
    return profile;
}

std::string profileIdentifier(BrowserType browser, std::string_view directory) {
    std::string identifier(rawValue(browser));
    identifier += ':';
    identifier += directory;
    return identifier;
}

}  // namespace kestrelvault

std::size_t std::hash<kestrelvault::BrowserProfile>::operator()(
    const kestrelvault::BrowserProfile& profile) const noexcept {
    using kestrelvault::hashCombine;
    std::size_t seed = std::hash<std::string>{}(profile.id);
    hashCombine(seed, static_cast<std::size_t>(profile.browser));
    hashCombine(seed, std::hash<std::string>{}(profile.directory));
    hashCombine(seed, std::hash<std::string>{}(profile.displayName));
    return seed;
}
