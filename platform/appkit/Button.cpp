#include "platform/appkit/Button.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <cmath>

namespace appkit {

Button::Button(std::string title, std::function<void()> action) : Control(Rect(0, 0, 80, 24)), title_(std::move(title)) {
    setAction(std::move(action));
}

void Button::performClick() {
    dispatch::checkMainThread();
    if (isEnabled()) sendAction();
}

void Button::mouseUp(const EventPtr&) { performClick(); }

bool Button::performKeyEquivalent(const EventPtr& event) {
    if (keyEquivalent_.empty() || !event->isKeyEvent() || event->type() != EventType::keyDown) return false;
    auto modifiers = event->modifierFlags().intersection(ModifierFlags::command | ModifierFlags::option |
                                                         ModifierFlags::control | ModifierFlags::shift);
    if (!modifiers.isEmpty() || event->charactersIgnoringModifiers() != keyEquivalent_) return false;
    performClick();
    return true;
}

Size Button::intrinsicContentSize() const {
    // About the width of the title plus the bezel's margins; the drawing measures exactly.
    return {std::ceil(title_.size() * font().pointSize * 0.6) + 28, 24};
}

}  // namespace appkit
