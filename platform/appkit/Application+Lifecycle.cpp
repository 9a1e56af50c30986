#include "platform/appkit/Application.hpp"
#include "platform/appkit/ApplicationDelegate.hpp"
#include "platform/foundation/NotificationCenter.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/objc/Runtime.hpp"

namespace appkit {

void Application::finishLaunching() {
    dispatch::checkMainThread();
    auto self = shared_from_this();
    foundation::Notification notification{NSApplicationDidFinishLaunchingNotification, self, nullptr};
    auto receiver = delegate();
    if (objc::respondsToSelector(receiver, kApplicationDidFinishLaunchingSelector))
        objc::send<void, objc::Id>(receiver, kApplicationDidFinishLaunchingSelector,
                                   std::make_shared<objc::Box<foundation::Notification>>(notification));
    foundation::NotificationCenter::defaultCenter()->post(notification);
}

void Application::run() {
    dispatch::checkMainThread();
    auto keepAlive = shared_from_this();
    running_ = true;
    auto runLoop = foundation::RunLoop::main();
    while (!terminated_) runLoop->run(foundation::NSDefaultRunLoopMode);
    running_ = false;
}

void Application::terminate(const objc::Id&) {
    dispatch::checkMainThread();
    if (terminated_) return;
    foundation::NotificationCenter::defaultCenter()->post(NSApplicationWillTerminateNotification, shared_from_this());
    terminated_ = true;
    if (running_) foundation::RunLoop::main()->stop();
}

}  // namespace appkit
