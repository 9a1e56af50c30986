#pragma once

#include "app/bookmarks/BookmarkAggregator.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrelvault {

// The Settings window's content: a grouped form of 380 × 430 points with the global
// shortcut, the general switches (launch at login, fuzzy search) and the browsers with
// their profiles. Browser and profile switches change the shared settings and then ask the
// application to reload; the launch-at-login switch registers or unregisters the login
// item. When any window becomes key the browser list is read anew and the form scrolls to
// its top; when the Settings window closes the application returns to the accessory
// policy. Main thread only; the Settings scene makes it when its window opens, and its
// state lasts as long as the window's content.
class SettingsView final : public ui::View {
public:
    SettingsView(std::shared_ptr<BookmarkAggregator> aggregator, std::shared_ptr<ProfileSettings> profileSettings,
                 std::vector<BookmarkAggregator::BrowserEntry> browserData, bool launchAtLogin,
                 std::function<void()> onProfileChanged);

    std::shared_ptr<BookmarkAggregator> aggregator;
    std::shared_ptr<ProfileSettings> profileSettings;  // observed
    ui::State<std::vector<BookmarkAggregator::BrowserEntry>> browserData;
    ui::State<bool> launchAtLogin;
    std::function<void()> onProfileChanged;

    ui::Node body() override;

    static constexpr const char* fullDiskAccessSettingsURL =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
    // The browser rows' fixed names ("Chrome", "Safari"…).
    static std::string_view shownName(BrowserType browser);

private:
    ui::Node form(const ui::ScrollViewProxy& proxy);
    std::vector<ui::Node> browserRowGroup(const BookmarkAggregator::BrowserEntry& entry);
    static ui::Node firefoxRow();
    static void applyLaunchAtLogin(bool enabled, ui::Binding<bool> launchAtLogin);
    static void openFullDiskAccessSettings();
};

}  // namespace kestrelvault
