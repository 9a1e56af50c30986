#include "platform/appkit/AboutPanel.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

void Application::orderFrontStandardAboutPanelWithOptions(const AboutPanelOptions& options) {
    dispatch::checkMainThread();
    if (!aboutPanel_ || !aboutPanel_->isVisible()) aboutPanel_ = AboutPanel::make(options);
    aboutPanel_->makeKeyAndOrderFront();
}

}  // namespace appkit
