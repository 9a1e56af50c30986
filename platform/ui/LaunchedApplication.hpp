#pragma once

#include "platform/ui/App.hpp"
#include "platform/ui/MenuBarExtraScene.hpp"
#include "platform/ui/SettingsScene.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace ui {

// The application life cycle with scenes: launching takes the App value (whose delegate
// adaptor has made the delegate), builds its scenes (status items appear, the Settings
// scene becomes the open-settings action) and then finishes launching, which tells the
// delegate. run() serves the main run loop until the application terminates. Main thread
// only; the launched application owns the App value and its scenes until it goes.
class LaunchedApplication {
public:
    static std::unique_ptr<LaunchedApplication> launch(std::unique_ptr<App> app);
    ~LaunchedApplication();
    LaunchedApplication(const LaunchedApplication&) = delete;
    LaunchedApplication& operator=(const LaunchedApplication&) = delete;

    App& app() const { return *app_; }
    // The first menu-bar extra and the Settings scene, or null without one.
    std::shared_ptr<MenuBarExtraScene> menuBarExtra() const;
    std::shared_ptr<SettingsScene> settings() const;

    void run();

private:
    explicit LaunchedApplication(std::unique_ptr<App> app) : app_(std::move(app)) {}

    std::unique_ptr<App> app_;
    std::vector<std::shared_ptr<MenuBarExtraScene>> menuBarExtras_;
    std::shared_ptr<SettingsScene> settings_;
};

}  // namespace ui
