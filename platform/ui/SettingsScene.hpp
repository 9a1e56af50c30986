#pragma once

#include "platform/appkit/Window.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/ui/Scene.hpp"

#include <memory>

namespace ui {

// The Settings scene on screen: it is the application's open-settings action (see
// setOpenSettingsAction). Opening makes a titled, closable window of the content's size
// with the platform's Settings identifier, content made afresh, and makes it key and front
// (without activating the application); opening while it is open brings it to the front.
// Closing the window releases it and its content. Main thread only; the launched
// application owns the scene, the action and the window's observer hold it weakly.
class SettingsScene : public std::enable_shared_from_this<SettingsScene> {
public:
    static constexpr const char* windowIdentifier = "com_apple_SwiftUI_Settings_window";

    static std::shared_ptr<SettingsScene> make(Settings scene);
    ~SettingsScene();
    SettingsScene(const SettingsScene&) = delete;
    SettingsScene& operator=(const SettingsScene&) = delete;

    void open();
    // The window while it is open, else null.
    const std::shared_ptr<appkit::Window>& window() const { return window_; }

    explicit SettingsScene(Settings scene) : scene_(std::move(scene)) {}

private:
    Settings scene_;
    std::shared_ptr<appkit::Window> window_;
    std::unique_ptr<foundation::NotificationToken> closeObserver_;
};

}  // namespace ui
