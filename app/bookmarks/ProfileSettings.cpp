#include "app/bookmarks/ProfileSettings.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/foundation/UserDefaults.hpp"


namespace kestrelvault {

namespace {

foundation::ProcessWide<ProfileSettings> sharedInstance;

std::set<std::string> storedSet(const std::string& key) {
    auto strings = foundation::UserDefaults::standardUserDefaults()->stringArrayForKey(key);
    if (!strings) return {};
    return std::set<std::string>(strings->begin(), strings->end());
}

void storeSet(const std::set<std::string>& values, const std::string& key) {
    std::vector<objc::Id> items;
    for (const auto& value : values) items.push_back(foundation::String::make(value));
    foundation::UserDefaults::standardUserDefaults()->setObject(foundation::Array::make(std::move(items)), key);
}

void toggle(foundation::Observable<std::set<std::string>>& observable, const std::string& member) {
    auto values = observable.get();
    if (!values.erase(member)) values.insert(member);
    observable = std::move(values);
}

void removeUnknown(foundation::Observable<std::set<std::string>>& observable, const std::set<std::string>& known) {
    auto kept = observable.get();
    std::erase_if(kept, [&](const std::string& member) { return !known.count(member); });
    if (kept.size() != observable.get().size()) observable = std::move(kept);
}

}  // namespace

std::shared_ptr<ProfileSettings> ProfileSettings::shared() { return sharedInstance.get(); }

void ProfileSettings::resetForTesting() { sharedInstance.reset(); }

ProfileSettings::ProfileSettings() {
    auto defaults = foundation::UserDefaults::standardUserDefaults();
    disabledProfileIDs.set(storedSet(profileKey));
    disabledBrowsers.set(storedSet(browserKey));
    fuzzySearchEnabled.set(defaults->objectForKey(fuzzySearchKey) ? defaults->boolForKey(fuzzySearchKey) : true);
    // Subscribed after the initial values, so reading writes nothing; every later
    // assignment is stored before other observers hear of it.
    storeProfiles_ = disabledProfileIDs.observe([key = profileKey](const auto& values) { storeSet(values, key); });
    storeBrowsers_ = disabledBrowsers.observe([key = browserKey](const auto& values) { storeSet(values, key); });
    storeFuzzy_ = fuzzySearchEnabled.observe([key = fuzzySearchKey](bool enabled) {
        foundation::UserDefaults::standardUserDefaults()->setBool(enabled, key);
    });
}

bool ProfileSettings::isBrowserEnabled(BrowserType browser) const {
    return !disabledBrowsers.get().count(std::string(rawValue(browser)));
}

void ProfileSettings::toggleProfile(const std::string& profileID) {
    dispatch::checkMainThread();
    toggle(disabledProfileIDs, profileID);
}

void ProfileSettings::toggleBrowser(BrowserType browser) {
    dispatch::checkMainThread();
    toggle(disabledBrowsers, std::string(rawValue(browser)));
}

void ProfileSettings::pruneDisabled(const std::set<std::string>& knownProfileIDs,
                                    const std::set<std::string>& knownBrowsers) {
    dispatch::checkMainThread();
    removeUnknown(disabledProfileIDs, knownProfileIDs);
    removeUnknown(disabledBrowsers, knownBrowsers);
}

}  // namespace kestrelvault
