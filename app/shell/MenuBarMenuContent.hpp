#pragma once

#include "app/shell/AppDelegate.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <memory>

namespace kestrelvault {

// The content of the menu-bar extra: open search (with the toggle shortcut), Settings…
// (Command-,), check for updates (greyed while the updater cannot check), a divider, about,
// and quit (Command-Q). It observes only the delegate, which announces nothing, so changes
// inside the objects the delegate holds do not rebuild it; the menu builds it each time it
// opens. Main thread only.
class MenuBarMenuContent final : public ui::View {
public:
    MenuBarMenuContent(std::shared_ptr<AppDelegate> appDelegate, std::function<void()> openSettings)
        : appDelegate(this, std::move(appDelegate)), openSettings(std::move(openSettings)) {}

    ui::ObservedObject<AppDelegate> appDelegate;
    std::function<void()> openSettings;

    ui::Node body() override;

private:
    static void toggleSearchPanel(const std::shared_ptr<AppDelegate>& delegate);
    static void openSettingsWindow(const std::function<void()>& openSettings);
    static void bringSettingsWindowToFront();
    static void showAboutPanel();
    static void quitApplication();
};

}  // namespace kestrelvault
