#include "platform/appkit/StatusItem.hpp"

#include "platform/appkit/StatusBar.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

void StatusItem::setImage(std::shared_ptr<Image> image) {
    dispatch::checkMainThread();
    image_ = std::move(image);
    StatusBar::systemStatusBar().itemDidChange();
}

void StatusItem::setTitle(std::string title) {
    dispatch::checkMainThread();
    title_ = std::move(title);
    StatusBar::systemStatusBar().itemDidChange();
}

void StatusItem::performClick(Point menuOrigin) const {
    if (auto action = action_) action(menuOrigin);  // the action may replace itself
}

}  // namespace appkit
