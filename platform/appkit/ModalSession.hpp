#pragma once

#include <memory>

namespace appkit {

class Window;

// Response codes with the platform's values.
inline constexpr long NSModalResponseStop = -1000;
inline constexpr long NSModalResponseAbort = -1001;
inline constexpr long NSModalResponseContinue = -1002;
inline constexpr long NSAlertFirstButtonReturn = 1000;
inline constexpr long NSAlertSecondButtonReturn = 1001;
inline constexpr long NSAlertThirdButtonReturn = 1002;

// Application-modal loops: runModalForWindow shows the window and runs the main run loop
// in the modal-panel mode (the main queue, timers of the common modes and queued events
// still run) until stopModalWithCode ends the innermost loop, whose code it returns.
// Loops nest. Main thread only.
long runModalForWindow(const std::shared_ptr<Window>& window);
void stopModalWithCode(long code);
void stopModal();
// The window of the innermost modal loop, or null.
std::shared_ptr<Window> modalWindow();

}  // namespace appkit
