#pragma once

#include "app/bookmarks/BrowserType.hpp"
#include "platform/foundation/Observable.hpp"

#include <memory>
#include <set>
#include <string>

namespace kestrelvault {

// The user's search settings: browsers and profiles switched off, and the fuzzy switch,
// kept in the standard user defaults. One shared instance. Main thread only; every
// assignment of a value, by whatever path, notifies its observers and is stored at once.
class ProfileSettings {
public:
    static std::shared_ptr<ProfileSettings> shared();
    // Test support: forgets the shared instance so the next use reads the defaults anew.
    static void resetForTesting();

    const std::string profileKey = "disabledProfiles";
    const std::string browserKey = "disabledBrowsers";
    const std::string fuzzySearchKey = "fuzzySearchEnabled";

    // Identifiers (raw value ":" directory) of the profiles switched off.
    foundation::Observable<std::set<std::string>> disabledProfileIDs;
    // Raw values of the browsers switched off.
    foundation::Observable<std::set<std::string>> disabledBrowsers;
    foundation::Observable<bool> fuzzySearchEnabled{true};

    bool isBrowserEnabled(BrowserType browser) const;
    void toggleProfile(const std::string& profileID);
    void toggleBrowser(BrowserType browser);
    // Forgets switches of profiles and browsers that are not among the known ones; writes
    // nothing when nothing is stale.
    void pruneDisabled(const std::set<std::string>& knownProfileIDs, const std::set<std::string>& knownBrowsers);

    ProfileSettings();
    ProfileSettings(const ProfileSettings&) = delete;
    ProfileSettings& operator=(const ProfileSettings&) = delete;

private:
    foundation::ObservationToken storeProfiles_;
    foundation::ObservationToken storeBrowsers_;
    foundation::ObservationToken storeFuzzy_;
};

}  // namespace kestrelvault
