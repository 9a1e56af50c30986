// The swizzler's instance methods: the implementations copied into the delegate's subclass,
// so they run with the delegate as self.
#include "platform/foundation/UserActivity.hpp"
#include "platform/objc/Associations.hpp"
#include "platform/objc/Runtime.hpp"
#include "sdk/utilities/ZULAppDelegateSwizzler.hpp"
#include "sdk/utilities/ZULAppDelegateSwizzlerInternal.hpp"

namespace {

using namespace zul_app_delegate_swizzler;

using RestorationHandler = foundation::UserActivityRestorationHandler;

// "<RealClass: 0x...>": the delegate describes itself under the class it had before.
std::string fakeDescription(const objc::Id& self) {
    auto realClass = objc::as<objc::Box<objc::Class*>>(objc::getAssociatedObject(self, &kRealClassKey));
    const void* address = self.get();
    if (realClass && realClass->value) return foundation::format("<%@: %p>", realClass->value->name(), address);
    return foundation::format("<%@: %p>", nullptr, address);
}

// Interceptors first, each answer ORed in, then the delegate's own method.
bool continueUserActivity(const objc::Id& self, objc::Id application, objc::Id userActivity,
                          RestorationHandler restorationHandler) {
    auto realImplementation =
        ZULAppDelegateSwizzler::originalImplementationForSelector(kContinueUserActivitySelector, self);
    bool result = false;
    ZULAppDelegateSwizzler::notifyInterceptorsWithMethodSelector(
        kContinueUserActivitySelector, [&](const objc::Id& interceptor) {
            result |= objc::send<bool, objc::Id, objc::Id, RestorationHandler>(
                interceptor, kContinueUserActivitySelector, application, userActivity, restorationHandler);
        });
    if (realImplementation)
        result |= realImplementation.call<bool, objc::Id, objc::Id, RestorationHandler>(self, application, userActivity,
                                                                                        restorationHandler);
    return result;
}

// Each interceptor hears through an invocation built from the protocol's declaration, then
// the delegate's own method runs.
void forwardRegistrationOutcome(const char* selector, const objc::Id& self, const objc::Id& application,
                                const objc::Id& tokenOrError) {
    auto realImplementation = ZULAppDelegateSwizzler::originalImplementationForSelector(selector, self);
    ZULAppDelegateSwizzler::notifyInterceptorsWithMethodSelector(selector, [&](const objc::Id& interceptor) {
        auto invocation = ZULAppDelegateSwizzler::appDelegateInvocationForSelector(selector);
        if (!invocation) return;
        invocation->setTarget(interceptor);
        invocation->setSelector(selector);
        invocation->setArgument(application, 2);
        invocation->setArgument(tokenOrError, 3);
        invocation->invoke();
    });
    if (realImplementation) realImplementation.call<void, objc::Id, objc::Id>(self, application, tokenOrError);
}

}  // namespace

objc::Class* ZULAppDelegateSwizzler::runtimeClass() {
    static objc::Class* const made = [] {
        objc::Class* created = objc::defineClass("ZULAppDelegateSwizzler");
        objc::addMethod(created, "fakeDescription", objc::InstanceImplementation<std::string>(fakeDescription), "@@:");
        objc::addMethod(
            created, kContinueUserActivitySelector,
            objc::InstanceImplementation<bool, objc::Id, objc::Id, RestorationHandler>(continueUserActivity),
            "B@:@@@?");
        objc::addMethod(created, "application:donor_didRegisterForRemoteNotificationsWithDeviceToken:",
                        objc::InstanceImplementation<void, objc::Id, objc::Id>(
                            [](const objc::Id& self, objc::Id application, objc::Id deviceToken) {
                                forwardRegistrationOutcome(kDidRegisterSelector, self, application, deviceToken);
                            }),
                        "v@:@@");
        objc::addMethod(created, "application:donor_didFailToRegisterForRemoteNotificationsWithError:",
                        objc::InstanceImplementation<void, objc::Id, objc::Id>(
                            [](const objc::Id& self, objc::Id application, objc::Id error) {
                                forwardRegistrationOutcome(kDidFailSelector, self, application, error);
                            }),
                        "v@:@@");
        return created;
    }();
    return made;
}
