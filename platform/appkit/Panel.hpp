#pragma once

#include "platform/appkit/Window.hpp"

namespace appkit {

// A panel: an auxiliary window that never becomes the main window. A floating panel sits
// at the floating level. "Becomes key only if needed" and "hides on deactivate" are kept
// for the panel's owner to read; the headless window server has no clicks into inactive
// applications or deactivation to apply them to. Made with Window::make<Panel>() like any
// window; main thread only.
class Panel : public Window {
public:
    using Window::Window;

    bool isFloatingPanel() const { return level() == WindowLevel::floating; }
    void setFloatingPanel(bool floating) { setLevel(floating ? WindowLevel::floating : WindowLevel::normal); }
    bool becomesKeyOnlyIfNeeded() const { return becomesKeyOnlyIfNeeded_; }
    void setBecomesKeyOnlyIfNeeded(bool onlyIfNeeded) { becomesKeyOnlyIfNeeded_ = onlyIfNeeded; }
    bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
    void setHidesOnDeactivate(bool hides) { hidesOnDeactivate_ = hides; }

    // A panel never becomes the main window.
    bool canBecomeMainWindow() const override { return false; }

private:
    bool becomesKeyOnlyIfNeeded_ = false;
    bool hidesOnDeactivate_ = true;
};

}  // namespace appkit
