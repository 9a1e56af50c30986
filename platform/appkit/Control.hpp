#pragma once

#include "platform/appkit/Font.hpp"
#include "platform/appkit/View.hpp"

#include <functional>

namespace appkit {

enum class TextAlignment { left, right, center, justified, natural };

// A view that sends an action: the base of buttons and text fields. Main thread only.
class Control : public View {
public:
    using View::View;

    const std::function<void()>& action() const { return action_; }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    void sendAction() const {
        if (auto action = action_) action();
    }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const Font& font() const { return font_; }
    void setFont(Font font) { font_ = font; }
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment) { alignment_ = alignment; }

private:
    std::function<void()> action_;
    bool enabled_ = true;
    Font font_ = Font::systemFontOfSize(13);
    TextAlignment alignment_ = TextAlignment::natural;
};

}  // namespace appkit
