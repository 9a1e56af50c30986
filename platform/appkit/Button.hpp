#pragma once

#include "platform/appkit/Control.hpp"

#include <string>

namespace appkit {

// A push button: a title and an action, run by a click or performClick(). Main thread only.
class Button : public Control {
public:
    explicit Button(std::string title = {}, std::function<void()> action = nullptr);

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    // A key equivalent such as "\r" (the default button) or "\x1b"; empty for none.
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    void setKeyEquivalent(std::string key) { keyEquivalent_ = std::move(key); }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    void performClick();
    void mouseUp(const EventPtr& event) override;
    bool performKeyEquivalent(const EventPtr& event) override;
    Size intrinsicContentSize() const override;

private:
    std::string title_;
    std::string keyEquivalent_;
    int tag_ = 0;
};

}  // namespace appkit
