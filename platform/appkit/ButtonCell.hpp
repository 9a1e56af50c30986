#pragma once

#include "platform/objc/Object.hpp"

#include <functional>
#include <string>

namespace appkit {

// A button drawn inside another control's cell (a search field's magnifier and cancel
// buttons). Clicking runs its action. Main thread only.
class ButtonCell : public objc::Object {
public:
    explicit ButtonCell(std::string title = {}) : title_(std::move(title)) {}

    const std::string& title() const { return title_; }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    void performClick() const {
        if (auto action = action_) action();
    }

private:
    std::string title_;
    std::function<void()> action_;
};

}  // namespace appkit
