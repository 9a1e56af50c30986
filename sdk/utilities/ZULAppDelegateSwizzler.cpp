#include "sdk/utilities/ZULAppDelegateSwizzler.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/UUID.hpp"
#include "platform/objc/Associations.hpp"
#include "platform/objc/Protocol.hpp"
#include "platform/objc/Runtime.hpp"
#include "sdk/utilities/ZULAppDelegateObserver.hpp"
#include "sdk/utilities/ZULAppDelegateSwizzlerInternal.hpp"
#include "sdk/utilities/ZULAppEnvironmentUtil.hpp"
#include "sdk/utilities/ZULZeroingWeakContainer.hpp"

#include <utility>

namespace {

using namespace zul_app_delegate_swizzler;

// A one-time initialisation that tests may arm again. The work runs under the lock, so
// threads that arrive meanwhile wait for it to finish.
class ResettableOnce {
public:
    void run(const std::function<void()>& work) {
        auto done = done_.lock();
        if (*done) return;
        work();
        *done = true;
    }
    void reset() { *done_.lock() = false; }

private:
    foundation::Guarded<bool> done_{false};
};

// What the proxying made: the delegate it proxied, its class before and the subclass.
struct Proxied {
    objc::Id delegate;
    objc::Class* realClass = nullptr;
    objc::Class* subclass = nullptr;
};

struct ProxyState {
    foundation::Guarded<Proxied> proxied;
    ResettableOnce proxyDelegateOnce;
    ResettableOnce remoteNotificationsOnce;
};

ProxyState& state() {
    static ProxyState shared;
    return shared;
}

bool switchIsOn(const std::shared_ptr<foundation::Bundle>& bundle, const char* key) {
    auto number = foundation::numberValue(bundle ? bundle->objectForInfoDictionaryKey(key) : nullptr);
    return !number || number->boolValue();
}

std::shared_ptr<foundation::Dictionary> realImplementationsOf(const objc::Id& object) {
    return foundation::dictionaryValue(objc::getAssociatedObject(object, &kRealIMPBySelectorKey));
}

// The class an object had before it was switched to one of our subclasses; null when it was
// never switched (a subclass that failed leaves its attachments but not its class).
objc::Class* classBeforeProxying(const objc::Id& object) {
    auto realClass = objc::as<objc::Box<objc::Class*>>(objc::getAssociatedObject(object, &kRealClassKey));
    objc::Class* current = objc::object_getClass(object);
    if (!realClass || !realClass->value || !current || current == realClass->value) return nullptr;
    return current->isSubclassOf(realClass->value) ? realClass->value : nullptr;
}

// The once-guarded work of proxyOriginalDelegateIncludingAPNSMethods.
void proxyRemoteNotificationsMethodsOnce() {
    auto delegate = objc::send<objc::Id>(ZULAppDelegateSwizzler::sharedApplication(), "delegate");
    auto stored = realImplementationsOf(delegate);
    auto implementations = stored ? foundation::Dictionary::make(stored->entries()) : nullptr;
    auto [subclass, realClass] =
        state().proxied.withLock([](const Proxied& proxied) { return std::pair(proxied.subclass, proxied.realClass); });
    if (!subclass || !realClass || !delegate || !implementations) return;
    ZULAppDelegateSwizzler::proxyRemoteNotificationsMethodsWithAppDelegateSubClass(subclass, realClass, delegate,
                                                                                   implementations);
    ZULAppDelegateSwizzler::reassignAppDelegate();
}

}  // namespace

bool ZULAppDelegateSwizzler::isAppDelegateProxyEnabled() {
    auto bundle = foundation::Bundle::mainBundle();
    bool doderivoSwitch = switchIsOn(bundle, kDoderivoProxySwitch);
    bool utilitiesSwitch = switchIsOn(bundle, kUtilitiesProxySwitch);
    return doderivoSwitch && utilitiesSwitch;
}

namespace {

// Interceptors and a proxied delegate set up by a test are undone after it.
void armSwizzlerReset() {
    static foundation::ProcessWideReset reset([] { ZULAppDelegateSwizzler::resetForTesting(); });
    reset.arm();
}

}  // namespace

std::optional<std::string> ZULAppDelegateSwizzler::registerAppDelegateInterceptor(const objc::Id& interceptor) {
    armSwizzlerReset();
    if (!interceptor) {
        foundation::AssertionHandler::handleFailure("AppDelegateProxy cannot add nil interceptor");
        logLine(ZULLoggerLevelError, SwizzlerMessage::nilInterceptor, "AppDelegateProxy cannot add nil interceptor.");
        return std::nullopt;
    }
    if (!objc::conformsToProtocol(interceptor, kApplicationDelegateProtocol)) {
        foundation::AssertionHandler::handleFailure(
            "AppDelegateProxy interceptor does not conform to UIApplicationDelegate");
        logLine(ZULLoggerLevelError, SwizzlerMessage::interceptorNotConforming,
                "AppDelegateProxy interceptor does not conform to UIApplicationDelegate");
        return std::nullopt;
    }
    std::string interceptorID = foundation::format("%@%p", "ZUL_", static_cast<const void*>(interceptor.get()));
    if (interceptorID.empty()) {
        logLine(ZULLoggerLevelError, SwizzlerMessage::noInterceptorID,
                "AppDelegateProxy cannot create Interceptor ID.");
        return std::nullopt;
    }
    auto container = std::make_shared<ZULZeroingWeakContainer>();
    container->setObject(interceptor);
    interceptors()->setObject(container, interceptorID);
    return interceptorID;
}

void ZULAppDelegateSwizzler::unregisterAppDelegateInterceptorWithID(const std::optional<std::string>& interceptorID) {
    if (!interceptorID) {
        foundation::AssertionHandler::handleFailure("AppDelegateProxy cannot unregister nil interceptor ID.");
        logLine(ZULLoggerLevelError, SwizzlerMessage::emptyInterceptorID,
                "AppDelegateProxy cannot unregister empty interceptor ID.");
        return;
    }
    if (interceptorID->empty())
        foundation::AssertionHandler::handleFailure("AppDelegateProxy cannot unregister empty interceptor ID.");
    auto container = std::dynamic_pointer_cast<ZULZeroingWeakContainer>(interceptors()->objectForKey(*interceptorID));
    if (container && container->object()) {
        interceptors()->removeObjectForKey(*interceptorID);
        return;
    }
    logLine(ZULLoggerLevelError, SwizzlerMessage::interceptorNotRegistered,
            "AppDelegateProxy cannot unregister interceptor that was not registered. Interceptor ID %@",
            *interceptorID);
}

void ZULAppDelegateSwizzler::proxyOriginalDelegate() {
    if (ZULAppEnvironmentUtil::isAppExtension()) return;
    state().proxyDelegateOnce.run([] {
        auto delegate = objc::send<objc::Id>(sharedApplication(), "delegate");
        proxyAppDelegate(delegate);
    });
}

void ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods() {
    if (ZULAppEnvironmentUtil::isAppExtension()) return;
    proxyOriginalDelegate();
    state().remoteNotificationsOnce.run(proxyRemoteNotificationsMethodsOnce);
}

objc::Id ZULAppDelegateSwizzler::sharedApplication() {
    if (ZULAppEnvironmentUtil::isAppExtension()) return nullptr;
    objc::Class* applicationClass = objc::lookUpClass("NSApplication");
    objc::Method method;
    if (!applicationClass || !applicationClass->findClassMethod("sharedApplication", method)) return nullptr;
    return objc::sendToClass<objc::Id>(applicationClass, "sharedApplication");
}

objc::Class* ZULAppDelegateSwizzler::createSubclassWithObject(const objc::Id& anObject) {
    objc::Class* realClass = objc::object_getClass(anObject);
    if (!realClass) return nullptr;  // nil has no class to derive from
    // Proxied before, and the once-guards were reset since: it keeps the subclass it has. A
    // subclass of that one would record our own callback as the real one, which then calls
    // itself without end.
    if (classBeforeProxying(anObject)) return realClass;
    std::string subclassName =
        foundation::format("%@-%@", "ZUL_" + realClass->name(), foundation::UUID::make()->UUIDString());
    if (objc::Class* existing = objc::lookUpClass(subclassName)) {
        logLine(ZULLoggerLevelError, SwizzlerMessage::subclassExists,
                "Cannot create a proxy for App Delegate. Subclass already exists. Original Class: %@, subclass: %@",
                realClass->name(), existing->name());
        return nullptr;
    }
    objc::Class* subclass = objc::allocateClassPair(realClass, subclassName, 0);
    if (!subclass) {
        logLine(ZULLoggerLevelError, SwizzlerMessage::subclassNotAllocated,
                "Cannot create a proxy for App Delegate. Subclass already exists. Original Class: %@, subclass: Nil",
                realClass->name());
        return nullptr;
    }

    foundation::Dictionary realImplementations;
    proxyDestinationSelector(kContinueUserActivitySelector, kContinueUserActivitySelector, runtimeClass(), subclass,
                             realClass, realImplementations);
    addInstanceMethodWithDestinationSelector("description", "fakeDescription", runtimeClass(), subclass);
    objc::setAssociatedObject(anObject, &kRealIMPBySelectorKey, realImplementations.copy(),
                              objc::AssociationPolicy::retainNonatomic);
    objc::setAssociatedObject(anObject, &kRealClassKey, std::make_shared<objc::Box<objc::Class*>>(realClass),
                              objc::AssociationPolicy::retainNonatomic);

    if (realClass->instanceSize() != subclass->instanceSize()) {
        logLine(ZULLoggerLevelError, SwizzlerMessage::subclassSizeDiffers,
                "Cannot create subclass of App Delegate, because the created subclass is not the same size. %@",
                realClass->name());
        foundation::AssertionHandler::handleFailure("Classes must be the same size to swizzle isa");
        return nullptr;
    }
    objc::registerClassPair(subclass);
    if (objc::object_setClass(anObject, subclass))
        logLine(ZULLoggerLevelDebug, SwizzlerMessage::proxyCreated,
                "Successfully created App Delegate Proxy automatically. To disable the proxy, set the flag %@ to NO "
                "(Boolean) in the Info.plist",
                correctAppDelegateProxyKey());
    return subclass;
}

void ZULAppDelegateSwizzler::proxyRemoteNotificationsMethodsWithAppDelegateSubClass(
    objc::Class* appDelegateSubClass, objc::Class* realClass, const objc::Id& appDelegate,
    const std::shared_ptr<foundation::Dictionary>& realImplementationsBySelector) {
    proxyDestinationSelector(kDidRegisterSelector,
                             "application:donor_didRegisterForRemoteNotificationsWithDeviceToken:", runtimeClass(),
                             appDelegateSubClass, realClass, *realImplementationsBySelector);
    proxyDestinationSelector(kDidFailSelector,
                             "application:donor_didFailToRegisterForRemoteNotificationsWithError:", runtimeClass(),
                             appDelegateSubClass, realClass, *realImplementationsBySelector);
    objc::setAssociatedObject(appDelegate, &kRealIMPBySelectorKey, realImplementationsBySelector->copy(),
                              objc::AssociationPolicy::retain);
}

void ZULAppDelegateSwizzler::reassignAppDelegate() {
    auto application = sharedApplication();
    auto delegate = objc::send<objc::Id>(application, "delegate");
    objc::send<void, objc::Id>(application, "setDelegate:", nullptr);
    objc::send<void, objc::Id>(application, "setDelegate:", delegate);
    state().proxied.lock()->delegate = delegate;
    ZULAppDelegateObserver::sharedInstance()->observeUIApplication();
}

std::shared_ptr<ZULMutableDictionary> ZULAppDelegateSwizzler::interceptors() {
    static const std::shared_ptr<ZULMutableDictionary> shared = ZULMutableDictionary::make();
    return shared;
}

objc::Implementation ZULAppDelegateSwizzler::originalImplementationForSelector(std::string_view selector,
                                                                               const objc::Id& object) {
    auto implementations = realImplementationsOf(object);
    auto stored =
        implementations ? objc::as<objc::Box<objc::Implementation>>(implementations->objectForKey(selector)) : nullptr;
    return stored ? stored->value : objc::Implementation();
}

void ZULAppDelegateSwizzler::proxyDestinationSelector(std::string_view destinationSelector,
                                                      std::string_view implementationsFromSourceSelector,
                                                      objc::Class* fromClass, objc::Class* toClass,
                                                      objc::Class* realClass,
                                                      foundation::Dictionary& storeDestinationImplementationTo) {
    addInstanceMethodWithDestinationSelector(destinationSelector, implementationsFromSourceSelector, fromClass,
                                             toClass);
    storeDestinationImplementationTo.setObject(std::make_shared<objc::Box<objc::Implementation>>(
                                                   implementationOfMethodSelector(destinationSelector, realClass)),
                                               std::string(destinationSelector));
}

void ZULAppDelegateSwizzler::addInstanceMethodWithSelector(std::string_view selector, objc::Class* fromClass,
                                                           objc::Class* toClass) {
    addInstanceMethodWithDestinationSelector(selector, selector, fromClass, toClass);
}

void ZULAppDelegateSwizzler::addInstanceMethodWithDestinationSelector(
    std::string_view destinationSelector, std::string_view withImplementationFromSourceSelector, objc::Class* fromClass,
    objc::Class* toClass) {
    objc::Method source;
    if (!fromClass || !toClass || !fromClass->findInstanceMethod(withImplementationFromSourceSelector, source)) return;
    if (!toClass->addMethod(destinationSelector, source.implementation, source.typeEncoding))
        logLine(ZULLoggerLevelWarning, SwizzlerMessage::methodExists,
                "Cannot copy method to destination selector %@ as it already exists", std::string(destinationSelector));
}

objc::Implementation ZULAppDelegateSwizzler::implementationOfMethodSelector(std::string_view selector,
                                                                            objc::Class* fromClass) {
    objc::Method method;
    if (!fromClass || !fromClass->findInstanceMethod(selector, method)) return {};
    return method.implementation;
}

void ZULAppDelegateSwizzler::notifyInterceptorsWithMethodSelector(
    std::string_view methodSelector, const std::function<void(const objc::Id&)>& callback) {
    if (!callback) return;
    auto snapshot = interceptors()->dictionary();
    for (const auto& [interceptorID, entry] : snapshot->entries()) {
        auto container = std::dynamic_pointer_cast<ZULZeroingWeakContainer>(entry);
        auto interceptor = container ? container->object() : nullptr;
        if (!interceptor) {
            logLine(ZULLoggerLevelWarning, SwizzlerMessage::interceptorGone,
                    "AppDelegateProxy cannot find interceptor with ID %@. Removing the interceptor.", interceptorID);
            interceptors()->removeObjectForKey(interceptorID);
            continue;
        }
        if (objc::respondsToSelector(interceptor, methodSelector)) callback(interceptor);
    }
}

std::shared_ptr<objc::Invocation> ZULAppDelegateSwizzler::appDelegateInvocationForSelector(std::string_view selector) {
    auto* protocol = objc::getProtocol(kApplicationDelegateProtocol);
    if (!protocol) return nullptr;
    auto method = protocol->methodDescription(selector, objc::MethodRequirement::optional, objc::MethodKind::instance);
    if (!method) return nullptr;
    return objc::Invocation::invocationWithMethodSignature(
        objc::MethodSignature::signatureWithObjCTypes(method->typeEncoding));
}

void ZULAppDelegateSwizzler::proxyAppDelegate(const objc::Id& appDelegate) {
    armSwizzlerReset();
    if (!objc::conformsToProtocol(appDelegate, kApplicationDelegateProtocol)) {
        logLine(ZULLoggerLevelNotice, SwizzlerMessage::delegateNotConforming,
                "App Delegate does not conform to UIApplicationDelegate protocol. %@",
                correctAlternativeWhenAppDelegateProxyNotCreated());
        return;
    }
    if (!isAppDelegateProxyEnabled()) {
        logLine(ZULLoggerLevelNotice, SwizzlerMessage::proxyDisabled, "App Delegate Proxy is disabled. %@",
                correctAlternativeWhenAppDelegateProxyNotCreated());
        return;
    }
    try {
        objc::Class* before = classBeforeProxying(appDelegate);
        state().proxied.lock()->realClass = before ? before : objc::object_getClass(appDelegate);
        objc::Class* subclass = createSubclassWithObject(appDelegate);
        state().proxied.lock()->subclass = subclass;
        reassignAppDelegate();
    } catch (...) {
        logLine(ZULLoggerLevelError, SwizzlerMessage::proxyFailed, "Cannot create App Delegate Proxy. %@",
                correctAlternativeWhenAppDelegateProxyNotCreated());
    }
}

std::string ZULAppDelegateSwizzler::correctAppDelegateProxyKey() {
    return objc::lookUpClass("DDVCore") ? kDoderivoProxySwitch : kUtilitiesProxySwitch;
}

std::string ZULAppDelegateSwizzler::correctAlternativeWhenAppDelegateProxyNotCreated() {
    return objc::lookUpClass("DDVCore")
               ? "To log deep link campaigns manually, call the methods in DDVAnalytics+AppDelegate.h."
               : "";
}

void ZULAppDelegateSwizzler::clearInterceptors() { interceptors()->removeAllObjects(); }

void ZULAppDelegateSwizzler::resetProxyOriginalDelegateOnceToken() {
    state().proxyDelegateOnce.reset();
    state().remoteNotificationsOnce.reset();
}

objc::Id ZULAppDelegateSwizzler::originalDelegate() { return state().proxied.lock()->delegate; }

void ZULAppDelegateSwizzler::dropOriginalDelegate() {
    objc::Id dropped = std::exchange(state().proxied.lock()->delegate, nullptr);  // released unlocked
}

void ZULAppDelegateSwizzler::resetForTesting() {
    clearInterceptors();
    resetProxyOriginalDelegateOnceToken();
    ZULAppDelegateObserver::sharedInstance()->resetForTesting();
    Proxied dropped = std::exchange(*state().proxied.lock(), Proxied{});  // released unlocked
}
