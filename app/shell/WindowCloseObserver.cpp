#include "app/shell/WindowCloseObserver.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/objc/Associations.hpp"

namespace kestrelvault {

namespace {

using TokenBox = objc::Box<std::unique_ptr<foundation::NotificationToken>>;


}  // namespace

void observeWindowWillClose(const std::shared_ptr<appkit::Window>& window, std::function<void()> action) {
    dispatch::checkMainThread();
    auto box = std::make_shared<TokenBox>(nullptr);
    std::weak_ptr<TokenBox> weakBox = box;
    box->value = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowWillCloseNotification, window, dispatch::mainQueue(),
        [weakBox, action = std::move(action)](const foundation::Notification&) {
            auto box = weakBox.lock();
            if (!box || !box->value) return;  // fires at most once
            auto run = action;                // the block may go with its registration
            auto token = std::move(box->value);
            token->remove();
            dispatch::mainQueue()->async(std::move(run));
        });
    // The window keeps the observation, under a key of its own; the observer holds the box
    // weakly, so it keeps nothing alive.
    objc::setAssociatedObject(window, box.get(), box, objc::AssociationPolicy::retainNonatomic);
}

}  // namespace kestrelvault
