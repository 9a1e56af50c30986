#include "platform/ui/LaunchedApplication.hpp"

#include "platform/foundation/ThreadChecker.hpp"

namespace ui {

std::unique_ptr<LaunchedApplication> LaunchedApplication::launch(std::unique_ptr<App> app) {
    dispatch::checkMainThread();
    std::unique_ptr<LaunchedApplication> launched(new LaunchedApplication(std::move(app)));
    for (auto& scene : launched->app_->body()) {
        if (auto* extra = std::get_if<MenuBarExtra>(&scene))
            launched->menuBarExtras_.push_back(MenuBarExtraScene::make(std::move(*extra)));
        else if (auto* settings = std::get_if<Settings>(&scene))
            launched->settings_ = SettingsScene::make(std::move(*settings));
    }
    appkit::Application::shared()->finishLaunching();
    return launched;
}

LaunchedApplication::~LaunchedApplication() {
    if (settings_) setOpenSettingsAction(nullptr);
}

std::shared_ptr<MenuBarExtraScene> LaunchedApplication::menuBarExtra() const {
    return menuBarExtras_.empty() ? nullptr : menuBarExtras_.front();
}

std::shared_ptr<SettingsScene> LaunchedApplication::settings() const { return settings_; }

void LaunchedApplication::run() { appkit::Application::shared()->run(); }

}  // namespace ui
