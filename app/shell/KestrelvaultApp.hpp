#pragma once

#include "app/shell/AppDelegate.hpp"
#include "platform/ui/App.hpp"

namespace kestrelvault {

// The application value: the delegate (made through the adaptor when the value is made)
// and two scenes, the menu-bar extra with its menu and the Settings window. Main thread
// only; it lives for the application's life.
class KestrelvaultApp final : public ui::App {
public:
    ui::ApplicationDelegateAdaptor<AppDelegate> appDelegate;

    std::vector<ui::Scene> body() override;
};

}  // namespace kestrelvault
