#pragma once

#include "platform/appkit/Geometry.hpp"

#include <memory>

namespace appkit {

class Window;

// A window's animating proxy: the changes run in the current animation group (see
// AnimationContext). Holds the window weakly: a window that goes away stops animating.
class WindowAnimator {
public:
    explicit WindowAnimator(std::weak_ptr<Window> window) : window_(std::move(window)) {}

    void setAlphaValue(double alpha);
    void setFrame(const Rect& frame);

private:
    std::weak_ptr<Window> window_;
};

WindowAnimator animator(const std::shared_ptr<Window>& window);

}  // namespace appkit
