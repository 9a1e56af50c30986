#include "app/shell/MenuBarMenuContent.hpp"

#include "GlobalShortcuts/Views/GlobalKeyboardShortcutViewModifier.hpp"
#include "app/shell/Localized.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/ui/SettingsScene.hpp"

#include <chrono>

namespace kestrelvault {

namespace {

ui::Node menuButton(const std::string& key, std::function<void()> action) {
    return ui::Button(ui::Text(localized(key)), std::move(action));
}

}  // namespace

ui::Node MenuBarMenuContent::body() {
    std::weak_ptr<AppDelegate> weakDelegate = appDelegate.get();
    auto open = openSettings;
    auto updater = appDelegate->updaterViewModel;
    std::weak_ptr<UpdaterViewModel> weakUpdater = updater;
    return ui::VStack({
        GlobalShortcuts::globalKeyboardShortcut(menuButton("open_search",
                                                           [weakDelegate] {
                                                               if (auto delegate = weakDelegate.lock())
                                                                   toggleSearchPanel(delegate);
                                                           }),
                                                toggleSearch()),
        menuButton("settings_ellipsis", [open] { openSettingsWindow(open); }).keyboardShortcut(ui::KeyboardShortcut{{","}}),
        menuButton("check_for_updates",
                   [weakUpdater] {
                       if (auto updater = weakUpdater.lock()) updater->checkForUpdates();
                   })
            .disabled(!updater->canCheckForUpdates.get()),
        ui::Divider(),
        menuButton("about_kestrelvault", showAboutPanel),
        menuButton("quit", quitApplication).keyboardShortcut(ui::KeyboardShortcut{{"q"}}),
    });
}

void MenuBarMenuContent::toggleSearchPanel(const std::shared_ptr<AppDelegate>& delegate) {
    delegate->togglePanelFromHotKey();
}

void MenuBarMenuContent::openSettingsWindow(const std::function<void()>& openSettings) {
    // The Settings window takes the application back to the accessory policy when it closes.
    appkit::Application::shared()->setActivationPolicy(appkit::ApplicationActivationPolicy::regular);
    if (openSettings) openSettings();
    // The window opens without the application coming to the front; a moment later it does.
    dispatch::mainQueue()->after(std::chrono::milliseconds(100), bringSettingsWindowToFront);
}

void MenuBarMenuContent::bringSettingsWindowToFront() {
    appkit::Application::shared()->activate();
    for (const auto& window : appkit::WindowList::shared().windows())
        if (window->identifier() == ui::SettingsScene::windowIdentifier) return window->makeKeyAndOrderFront();
}

void MenuBarMenuContent::showAboutPanel() {
    auto application = appkit::Application::shared();
    application->activate();
    appkit::AboutPanelOptions options;
    options.credits = appkit::AttributedString{"Search bookmarks across all browsers and profiles.",
                                               appkit::Font::systemFontOfSize(11)};
    application->orderFrontStandardAboutPanelWithOptions(options);
}

void MenuBarMenuContent::quitApplication() { appkit::Application::shared()->terminate(nullptr); }

}  // namespace kestrelvault
