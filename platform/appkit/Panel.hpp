#pragma once

#include "platform/appkit/Window.hpp"

namespace appkit {

// A panel: an auxiliary window that never becomes the main window. A floating panel sits
// at the floating level. A visible panel that hides on deactivate (the default) is ordered
// out while its application is not in front and comes back when it returns (see
// Application::activate). "Becomes key only if needed" is kept for the panel's owner to
// read; the headless window server has no clicks into inactive applications to apply it
// to. Made with Window::make<Panel>() like any window; main thread only.
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
