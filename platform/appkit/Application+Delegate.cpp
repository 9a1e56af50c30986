#include "platform/appkit/Application.hpp"
#include "platform/appkit/ApplicationDelegate.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/KeyValueObserving.hpp"
#include "platform/objc/Runtime.hpp"

namespace appkit {

namespace {

constexpr std::int64_t remoteNotificationsNotSupported = 3010;

}  // namespace

objc::Class* Application::runtimeClass() {
    static objc::Class* const made = [] {
        declareApplicationDelegateProtocol();
        objc::Class* created = objc::defineClass("NSApplication");
        objc::addClassMethod(created, "sharedApplication", objc::ClassImplementation<objc::Id>([](objc::Class*) {
                                 return objc::Id(Application::shared());
                             }),
                             "@#:");
        objc::addMethod(created, "delegate", objc::InstanceImplementation<objc::Id>([](const objc::Id& self) {
                            return objc::as<Application>(self)->delegate();
                        }),
                        "@@:");
        objc::addMethod(created, "setDelegate:",
                        objc::InstanceImplementation<void, objc::Id>([](const objc::Id& self, objc::Id delegate) {
                            objc::as<Application>(self)->setDelegate(std::move(delegate));
                        }),
                        "v@:@");
        return created;
    }();
    return made;
}

// The class exists from the start, as the platform's does, so it can be found by name
// before the application is first made.
[[maybe_unused]] static objc::Class* const registeredAtLoad = Application::runtimeClass();

objc::Id Application::delegate() const {
    return delegate_.withLock([](const objc::WeakId& delegate) { return delegate.lock(); });
}

void Application::setDelegate(objc::Id delegate) {
    objc::Id previous = delegate_.withLock([&](objc::WeakId& current) { return std::exchange(current, delegate).lock(); });
    foundation::didChangeValueForKey(shared_from_this(), "delegate", previous, delegate);
}

bool Application::continueUserActivity(const objc::Id& userActivity,
                                       foundation::UserActivityRestorationHandler handler) {
    auto receiver = delegate();
    if (!objc::respondsToSelector(receiver, kApplicationContinueUserActivitySelector)) return false;
    return objc::send<bool, objc::Id, objc::Id, foundation::UserActivityRestorationHandler>(
        receiver, kApplicationContinueUserActivitySelector, shared_from_this(), userActivity, std::move(handler));
}

void Application::registerForRemoteNotifications() {
    std::weak_ptr<Application> weakSelf = std::static_pointer_cast<Application>(shared_from_this());
    dispatch::mainQueue()->async([weakSelf] {
        auto self = weakSelf.lock();
        if (!self) return;
        auto receiver = self->delegate();
        if (!objc::respondsToSelector(receiver, kApplicationDidFailToRegisterForRemoteNotificationsSelector)) return;
        objc::Id error = foundation::Error::withDescription(
            "NSCocoaErrorDomain", remoteNotificationsNotSupported,
            "Remote notifications are not supported on this platform.");
        objc::send<void, objc::Id, objc::Id>(receiver, kApplicationDidFailToRegisterForRemoteNotificationsSelector,
                                             objc::Id(self), error);
    });
}

}  // namespace appkit
