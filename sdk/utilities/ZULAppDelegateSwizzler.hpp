#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/objc/Implementation.hpp"
#include "platform/objc/Invocation.hpp"
#include "sdk/utilities/ZULMutableDictionary.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Lets the SDK see some application-delegate callbacks without the application passing them
// on: the delegate object is switched, once per process, to a subclass of its own class made
// at run time, whose copies of the watched callbacks first tell every registered interceptor
// and then run the delegate's own implementation. Class methods only. Interceptors may be
// registered and unregistered from any thread and are held weakly; the proxying runs at most
// once (until the once-guards are reset), whichever threads ask for it at the same time; the
// callbacks run where the application calls its delegate, on the main thread.
class ZULAppDelegateSwizzler {
public:
    ZULAppDelegateSwizzler() = delete;

    static bool isAppDelegateProxyEnabled();
    // The interceptor's ID, or nullopt when it is nil or does not conform to the
    // application-delegate protocol (programming errors, asserted).
    static std::optional<std::string> registerAppDelegateInterceptor(const objc::Id& interceptor);
    static void unregisterAppDelegateInterceptorWithID(const std::optional<std::string>& interceptorID);
    static void proxyOriginalDelegate();
    static void proxyOriginalDelegateIncludingAPNSMethods();
    static objc::Id sharedApplication();
    // The subclass the delegate was switched to, or null when it could not be made (also for
    // a nil delegate).
    static objc::Class* createSubclassWithObject(const objc::Id& anObject);
    static void proxyRemoteNotificationsMethodsWithAppDelegateSubClass(
        objc::Class* appDelegateSubClass, objc::Class* realClass, const objc::Id& appDelegate,
        const std::shared_ptr<foundation::Dictionary>& realImplementationsBySelector);
    static void reassignAppDelegate();
    static std::shared_ptr<ZULMutableDictionary> interceptors();
    // The real class's implementation recorded on the object for the selector; empty when
    // there is none.
    static objc::Implementation originalImplementationForSelector(std::string_view selector, const objc::Id& object);
    static void proxyDestinationSelector(std::string_view destinationSelector,
                                         std::string_view implementationsFromSourceSelector, objc::Class* fromClass,
                                         objc::Class* toClass, objc::Class* realClass,
                                         foundation::Dictionary& storeDestinationImplementationTo);
    static void addInstanceMethodWithSelector(std::string_view selector, objc::Class* fromClass,
                                              objc::Class* toClass);
    static void addInstanceMethodWithDestinationSelector(std::string_view destinationSelector,
                                                         std::string_view withImplementationFromSourceSelector,
                                                         objc::Class* fromClass, objc::Class* toClass);
    static objc::Implementation implementationOfMethodSelector(std::string_view selector, objc::Class* fromClass);
    static void notifyInterceptorsWithMethodSelector(std::string_view methodSelector,
                                                     const std::function<void(const objc::Id&)>& callback);
    // Null when the application-delegate protocol declares no optional instance method of
    // that name.
    static std::shared_ptr<objc::Invocation> appDelegateInvocationForSelector(std::string_view selector);
    static void proxyAppDelegate(const objc::Id& appDelegate);
    static std::string correctAppDelegateProxyKey();
    static std::string correctAlternativeWhenAppDelegateProxyNotCreated();
    static void clearInterceptors();
    static void resetProxyOriginalDelegateOnceToken();
    static objc::Id originalDelegate();

    // The runtime class whose instance methods are copied into the subclass.
    static objc::Class* runtimeClass();

    // Test support: no interceptors, once-guards reset, nothing proxied or observed.
    static void resetForTesting();

private:
    friend class ZULAppDelegateObserver;
    static void dropOriginalDelegate();
};
