#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/appkit/Point.hpp"
#include "platform/objc/Object.hpp"

#include <functional>
#include <memory>
#include <string>

namespace appkit {

// An item of the system status bar (the menu-bar extra): the icon and title of its button,
// and what a click on it does, given the screen point under which a menu it opens belongs
// (the item's bottom-left corner in the menu bar, or where the pointer was). Made by the
// status bar, which tells the window server of every change. Main thread only; the status
// bar holds its items until they are removed.
class StatusItem final : public objc::Object {
public:
    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image);
    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    void setAction(std::function<void(Point menuOrigin)> action) { action_ = std::move(action); }
    // A click on the item's button; nothing when it has no action.
    void performClick(Point menuOrigin) const;

private:
    std::shared_ptr<Image> image_;
    std::string title_;
    std::function<void(Point)> action_;
};

}  // namespace appkit
