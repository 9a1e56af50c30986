#pragma once

#include "platform/appkit/Application.hpp"

#include <memory>

namespace appkit {

class Window;

// Window-modal loops on the application's modal sessions: runModalForWindow shows the
// window, runs the application modally (see Application::runModal) and answers the code
// the session was stopped with. Sessions nest. Main thread only.
ModalResponse runModalForWindow(const std::shared_ptr<Window>& window);
void stopModalWithCode(ModalResponse code);
// The window of the innermost modal loop, or null.
std::shared_ptr<Window> modalWindow();

}  // namespace appkit
