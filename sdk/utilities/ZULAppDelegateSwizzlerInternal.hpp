#pragma once

#include "sdk/utilities/ZULLogger.hpp"

#include <string>

// What the application-delegate swizzler's pieces share: its log lines, the keys of what it
// attaches to the delegate, and the names it looks up.
namespace zul_app_delegate_swizzler {

inline constexpr const char* kApplicationDelegateProtocol = "NSApplicationDelegate";
inline constexpr const char* kContinueUserActivitySelector = "application:continueUserActivity:restorationHandler:";
inline constexpr const char* kDidRegisterSelector = "application:didRegisterForRemoteNotificationsWithDeviceToken:";
inline constexpr const char* kDidFailSelector = "application:didFailToRegisterForRemoteNotificationsWithError:";
inline constexpr const char* kDoderivoProxySwitch = "DoderivoAppDelegateProxyEnabled";
inline constexpr const char* kUtilitiesProxySwitch = "ZadizuUtilitiesAppDelegateProxyEnabled";

// Association keys: their addresses are the keys, their texts name them.
inline constexpr char kRealIMPBySelectorKey[] = "ZUL_realIMPBySelector";
inline constexpr char kRealClassKey[] = "ZUL_realClass";

enum class SwizzlerMessage : long {
    nilInterceptor = 1000,
    interceptorNotConforming = 1001,
    noInterceptorID = 1002,
    emptyInterceptorID = 1003,
    interceptorNotRegistered = 1004,
    subclassExists = 1005,
    subclassNotAllocated = 1006,
    subclassSizeDiffers = 1007,
    proxyCreated = 1008,
    methodExists = 1009,
    interceptorGone = 1010,
    proxyDisabled = 1011,
    proxyFailed = 1013,
    delegateNotConforming = 1014,
};

inline constexpr const char* kSwizzlerService = "[ZadizuUtilities/AppDelegateSwizzler]";

inline std::string messageCode(SwizzlerMessage message) {
    return foundation::format("I-SWZ%06ld", static_cast<long>(message));
}

// One line of the swizzler's, at the level given.
template <class... Arguments>
void logLine(ZULLoggerLevel level, SwizzlerMessage message, std::string_view format, const Arguments&... arguments) {
    ZULLogWithLevel(level, kZULLoggerSubsystem, kSwizzlerService, false, messageCode(message), format, arguments...);
}

}  // namespace zul_app_delegate_swizzler
