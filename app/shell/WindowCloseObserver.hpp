#pragma once

#include "platform/appkit/Window.hpp"

#include <functional>
#include <memory>

namespace kestrelvault {

// Runs the action on the main queue once the window is about to close, the first time
// only: the observer removes itself when the notification arrives. The observer lives
// until then (or for the process, for a window that never closes). Main thread only.
void observeWindowWillClose(const std::shared_ptr<appkit::Window>& window, std::function<void()> action);

}  // namespace kestrelvault
