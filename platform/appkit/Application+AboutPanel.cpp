#include "platform/appkit/AboutPanel.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

std::shared_ptr<Image> Application::applicationIconImage() const {
    auto bundle = foundation::Bundle::mainBundle();
    return bundle ? Workspace::sharedWorkspace()->iconForFile(bundle->bundlePath()) : Workspace::genericApplicationIcon();
}

void Application::orderFrontStandardAboutPanelWithOptions(const AboutPanelOptions& options) {
    dispatch::checkMainThread();
    if (!aboutPanel_ || !aboutPanel_->isVisible()) aboutPanel_ = AboutPanel::make(options);
    aboutPanel_->makeKeyAndOrderFront();
}

}  // namespace appkit
