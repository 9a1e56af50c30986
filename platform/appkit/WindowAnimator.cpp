#include "platform/appkit/WindowAnimator.hpp"

#include "platform/appkit/AnimationContext.hpp"
#include "platform/appkit/Window.hpp"

namespace appkit {

void WindowAnimator::setAlphaValue(double alpha) {
    auto window = window_.lock();
    if (!window) return;
    double start = window->alphaValue();
    AnimationContext::animate([weak = window_, start, alpha](double progress) {
        if (auto window = weak.lock()) window->setAlphaValue(start + (alpha - start) * progress);
    });
}

void WindowAnimator::setFrame(const Rect& frame) {
    if (auto window = window_.lock()) window->setFrame(frame, true, true);
}

WindowAnimator animator(const std::shared_ptr<Window>& window) { return WindowAnimator(window); }

}  // namespace appkit
