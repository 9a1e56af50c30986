#pragma once

#include "platform/appkit/Button.hpp"
#include "platform/appkit/ModalSession.hpp"
#include "platform/appkit/Image.hpp"
#include "platform/appkit/Window.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace appkit {

// A message with buttons, shown as a sheet on a window (the completion gets the pressed
// button's response, 1000 for the first), application-modally (runModal returns it) or as a
// window of its own that blocks nothing (showModeless).
// An alert without buttons gets one "OK" button. The alert's panel holds the alert while
// it is shown. Main thread only.
class Alert : public objc::Object {
public:
    enum class Style { warning = 0, informational = 1, critical = 2 };

    const std::string& messageText() const { return messageText_; }
    void setMessageText(std::string text) { messageText_ = std::move(text); }
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(std::string text) { informativeText_ = std::move(text); }
    Style alertStyle() const { return style_; }
    void setAlertStyle(Style style) { style_ = style; }
    // Null means the application's icon.
    const std::shared_ptr<Image>& icon() const { return icon_; }
    void setIcon(std::shared_ptr<Image> icon) { icon_ = std::move(icon); }

    std::shared_ptr<Button> addButtonWithTitle(const std::string& title);
    const std::vector<std::shared_ptr<Button>>& buttons() const { return buttons_; }
    // The panel the alert is shown in.
    std::shared_ptr<Window> window();

    ModalResponse runModal();
    void beginSheetModalForWindow(const std::shared_ptr<Window>& window, std::function<void(ModalResponse)> completion);
    // Puts the panel in front and makes it key without a modal loop; a button press closes
    // it and runs the completion once with the button's response.
    void showModeless(std::function<void(ModalResponse)> completion);

    // The alert whose panel is frontmost, or null: what a person would answer.
    static std::shared_ptr<Alert> frontmostAlert();

private:
    void buildWindow();
    void respond(ModalResponse response);

    std::string messageText_;
    std::string informativeText_;
    Style style_ = Style::warning;
    std::shared_ptr<Image> icon_;
    std::vector<std::shared_ptr<Button>> buttons_;
    std::shared_ptr<Window> window_;
    std::weak_ptr<Window> sheetParent_;
    bool modal_ = false;
    std::function<void(ModalResponse)> modelessCompletion_;
};

}  // namespace appkit
