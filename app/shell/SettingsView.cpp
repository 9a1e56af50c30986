#include "app/shell/SettingsView.hpp"

#include "GlobalShortcuts/Views/Recorder.hpp"
#include "app/bookmarks/ProfileAvatarView.hpp"
#include "app/shell/Localized.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/system/SMAppService.hpp"
#include "platform/ui/SettingsScene.hpp"

namespace kestrelvault {

namespace {

using servicemanagement::SMAppService;
using servicemanagement::SMAppServiceStatus;

// The browser's application icon at 20 points, or nothing when it cannot be found.
ui::Node browserIcon(BrowserType browser) {
    auto icon = appIcon(browser);
    return icon ? ui::Image(icon).resizable().frame(20.0, 20.0) : ui::EmptyView();
}

ui::Node sectionHeader(const std::string& key) { return ui::Text(localized(key)); }

}  // namespace

SettingsView::SettingsView(std::shared_ptr<BookmarkAggregator> aggregator,
                           std::shared_ptr<ProfileSettings> profileSettings,
                           std::vector<BookmarkAggregator::BrowserEntry> browserData, bool launchAtLogin,
                           std::function<void()> onProfileChanged)
    : aggregator(std::move(aggregator)),
      profileSettings(std::move(profileSettings)),
      browserData(this, std::move(browserData)),
      launchAtLogin(this, launchAtLogin),
      onProfileChanged(std::move(onProfileChanged)) {
    observes(this->profileSettings->disabledBrowsers);
    observes(this->profileSettings->disabledProfileIDs);
    observes(this->profileSettings->fuzzySearchEnabled);
}

std::string_view SettingsView::shownName(BrowserType browser) {
    switch (browser) {
    case BrowserType::chrome: return "Chrome";
    case BrowserType::brave: return "Brave";
    case BrowserType::edge: return "Edge";
    case BrowserType::safari: return "Safari";
    case BrowserType::firefox: return "Firefox";
    }
    return "";
}

ui::Node SettingsView::body() {
    return ui::ScrollViewReader([this](const ui::ScrollViewProxy& proxy) { return form(proxy); })
        .onReceive(appkit::NSWindowWillCloseNotification, [](const foundation::Notification& notification) {
            // Only the Settings window's closing: the command that opened it made the
            // application a regular one.
            auto window = std::dynamic_pointer_cast<appkit::Window>(notification.object);
            if (!window || window->identifier() != ui::SettingsScene::windowIdentifier) return;
            appkit::Application::shared()->setActivationPolicy(appkit::ApplicationActivationPolicy::accessory);
        });
}

ui::Node SettingsView::form(const ui::ScrollViewProxy& proxy) {
    auto settings = profileSettings;
    auto launchBinding = launchAtLogin.binding();
    std::vector<ui::Node> browserRows;
    for (const auto& entry : browserData.get())
        for (auto& row : browserRowGroup(entry)) browserRows.push_back(std::move(row));
    if (isInstalled(BrowserType::firefox)) browserRows.push_back(firefoxRow());

    auto entries = browserData.binding();
    return ui::Form({
                        ui::Section(sectionHeader("keyboard_shortcut_section"),
                                    {ui::make<GlobalShortcuts::Recorder>(ui::LocalizedStringKey("open_search_label"),
                                                                         toggleSearch())}),
                        ui::Section(sectionHeader("general_section"),
                                    {ui::Toggle(ui::Text(localized("launch_at_login")),
                                                [launchBinding] { return launchBinding.get(); },
                                                [launchBinding](bool on) { launchBinding.set(on); })
                                         .onChange<bool>(launchAtLogin.get(),
                                                         [launchBinding](const bool& on) { applyLaunchAtLogin(on, launchBinding); }),
                                     ui::Toggle(ui::Text(localized("fuzzy_search")),
                                                [settings] { return settings->fuzzySearchEnabled.get(); },
                                                [settings](bool on) { settings->fuzzySearchEnabled = on; })}),
                        ui::Section(sectionHeader("browsers_section"), std::move(browserRows)),
                    })
        .frame(380.0, 430.0)
        .id("settingsTop")
        .onReceive(appkit::NSWindowDidBecomeKeyNotification,
                   [aggregator = aggregator, entries, proxy](const foundation::Notification&) {
                       // Any window of the application: also after the user came back from
                       // granting access in the system's settings.
                       entries.set(aggregator->browserEntries());
                       proxy.scrollTo("settingsTop", ui::ScrollAnchor::top);
                   });
}

std::vector<ui::Node> SettingsView::browserRowGroup(const BookmarkAggregator::BrowserEntry& entry) {
    auto settings = profileSettings;
    auto changed = onProfileChanged;
    auto browser = entry.browser;
    std::vector<ui::Node> rows;
    rows.push_back(ui::Toggle(ui::HStack({browserIcon(browser), ui::Text(std::string(shownName(browser)))},
                                         ui::VerticalAlignment::center, 8.0),
                              [settings, browser] { return settings->isBrowserEnabled(browser); },
                              [settings, browser, changed](bool) {
                                  settings->toggleBrowser(browser);
                                  if (changed) changed();
                              })
                       .id(entry.id));
    if (!settings->isBrowserEnabled(browser)) return rows;
    if (!entry.canAccess)
        rows.push_back(ui::HStack({ui::Symbol("lock.fill")
                                       .foregroundColor(ui::Color::systemOrangeColor())
                                       .font(ui::Font::caption()),
                                   ui::Text(localized("full_disk_access_required"))
                                       .font(ui::Font::caption())
                                       .foregroundColor(ui::Color::secondaryLabelColor()),
                                   ui::Spacer(),
                                   ui::Button(ui::Text(localized("open_settings")).font(ui::Font::caption()),
                                              openFullDiskAccessSettings)},
                                  ui::VerticalAlignment::center, 6.0)
                           .padding(ui::EdgeInsets{0, 28, 0, 0})
                           .id(entry.id + ":access"));
    if (browser == BrowserType::safari) return rows;
    for (const auto& profile : entry.profiles) {
        auto id = profile.id;
        rows.push_back(ui::Toggle(ui::HStack({ui::make<ProfileAvatarView>(profile.browser, profile.directory,
                                                                          profile.displayName, 20.0),
                                              ui::Text(profile.displayName)},
                                             ui::VerticalAlignment::center, 6.0),
                                  [settings, id] { return !settings->disabledProfileIDs.get().count(id); },
                                  [settings, id, changed](bool) {
                                      settings->toggleProfile(id);
                                      if (changed) changed();
                                  })
                           .padding(ui::EdgeInsets{0, 24, 0, 0})
                           .id(id));
    }
    return rows;
}

ui::Node SettingsView::firefoxRow() {
    return ui::HStack({browserIcon(BrowserType::firefox), ui::Text(localized("Firefox")),
                       ui::Text(localized("coming_soon"))
                           .font(ui::Font::caption())
                           .foregroundColor(ui::Color::secondaryLabelColor())},
                      ui::VerticalAlignment::center, 8.0)
        .foregroundColor(ui::Color::secondaryLabelColor())
        .id("firefox");
}

void SettingsView::applyLaunchAtLogin(bool enabled, ui::Binding<bool> launchAtLogin) {
    auto service = SMAppService::mainAppService();
    std::shared_ptr<foundation::Error> error;
    bool changed = enabled ? service->registerAndReturnError(&error) : service->unregisterAndReturnError(&error);
    if (changed) return;
    // The error is not shown: the switch falls back to the service's real state.
    launchAtLogin.set(service->status() == SMAppServiceStatus::enabled);
}

void SettingsView::openFullDiskAccessSettings() {
    appkit::Workspace::sharedWorkspace()->openURL(foundation::URL::URLWithString(fullDiskAccessSettingsURL));
}

}  // namespace kestrelvault
