#include "app/shell/KestrelvaultApp.hpp"

#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/MenuBarMenuContent.hpp"
#include "app/shell/SettingsView.hpp"
#include "platform/system/SMAppService.hpp"

namespace kestrelvault {

std::vector<ui::Scene> KestrelvaultApp::body() {
    const auto& delegate = appDelegate.wrappedValue();
    std::weak_ptr<AppDelegate> weakDelegate = delegate;
    return {
        ui::MenuBarExtra{"Kestrelvault", "MenuBarIcon", ui::make<MenuBarMenuContent>(delegate, [] { ui::openSettings(); })},
        ui::Settings{[weakDelegate] {
            auto delegate = weakDelegate.lock();
            if (!delegate) return ui::EmptyView();
            // The login item's status as it is when the window opens.
            bool launchAtLogin = servicemanagement::SMAppService::mainAppService()->status() ==
                                 servicemanagement::SMAppServiceStatus::enabled;
            return ui::make<SettingsView>(delegate->viewModel->aggregator(), ProfileSettings::shared(),
                                          std::vector<BookmarkAggregator::BrowserEntry>(), launchAtLogin,
                                          delegate->reloadAfterProfileChange());
        }},
    };
}

}  // namespace kestrelvault
