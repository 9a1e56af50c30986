#pragma once

#include "platform/appkit/Panel.hpp"

#include <cstdint>

namespace kestrelvault {

// The search panel's window: a borderless, non-activating floating panel with a full-size
// transparent content area and a shadow, on every space and beside full-screen
// applications, that takes key status so its field can be typed into. Whatever style the
// caller asks for, it is built with that one style. Made with appkit::Window::make; main
// thread only.
class FloatingPanel : public appkit::Panel {
public:
    enum class BackingStoreType { retained = 0, nonretained = 1, buffered = 2 };
    static constexpr std::uint64_t styleMask = appkit::WindowStyleMask::nonactivatingPanel |
                                               appkit::WindowStyleMask::fullSizeContentView;

    FloatingPanel(appkit::Rect contentRect, std::uint64_t requestedStyle = styleMask,
                  BackingStoreType backing = BackingStoreType::buffered, bool defer = false);

    bool canBecomeKeyWindow() const override { return true; }
    bool acceptsFirstResponder() const override { return true; }
};

}  // namespace kestrelvault
