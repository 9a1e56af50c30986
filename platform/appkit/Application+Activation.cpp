#include "platform/appkit/Application.hpp"

#include "platform/appkit/Panel.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

void Application::activate() {
    dispatch::checkMainThread();
    RunningApplication::currentApplication()->activate(ApplicationActivationOptions::activateIgnoringOtherApps);
}

bool Application::isActive() const { return RunningApplication::currentApplication()->isActive(); }

void Application::resignActive() {
    auto& windows = WindowList::shared();
    if (auto key = windows.keyWindow()) {
        keyWindowBeforeDeactivation_ = key;
        key->resignKeyWindow();
    }
    auto ordered = windows.orderedWindows();
    for (const auto& window : ordered) {
        auto panel = std::dynamic_pointer_cast<Panel>(window);
        if (!panel || !panel->hidesOnDeactivate()) continue;
        hiddenOnDeactivation_.push_back(panel);
        panel->orderOut();
    }
    foundation::NotificationCenter::defaultCenter()->post(NSApplicationDidResignActiveNotification, shared_from_this());
}

void Application::becomeActive() {
    // Back to front in the order they stood, so the frontmost comes back in front.
    auto hidden = std::exchange(hiddenOnDeactivation_, {});
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it)
        if (auto window = it->lock()) window->orderFront();
    auto key = std::exchange(keyWindowBeforeDeactivation_, {}).lock();
    if (key && key->isVisible() && !WindowList::shared().keyWindow()) key->makeKeyWindow();
    foundation::NotificationCenter::defaultCenter()->post(NSApplicationDidBecomeActiveNotification, shared_from_this());
}

}  // namespace appkit
