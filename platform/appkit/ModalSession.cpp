#include "platform/appkit/ModalSession.hpp"

#include "platform/appkit/Window.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <vector>

namespace appkit {

namespace {
std::vector<std::shared_ptr<Window>> modalWindows;
}

ModalResponse runModalForWindow(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    modalWindows.push_back(window);
    if (window && !window->isVisible()) window->makeKeyAndOrderFront();
    ModalResponse response = Application::shared()->runModal();
    modalWindows.pop_back();
    return response;
}

void stopModalWithCode(ModalResponse code) { Application::shared()->stopModal(code); }

std::shared_ptr<Window> modalWindow() {
    dispatch::checkMainThread();
    return modalWindows.empty() ? nullptr : modalWindows.back();
}

}  // namespace appkit
