#pragma once

#include "platform/foundation/UserActivity.hpp"
#include "platform/objc/Implementation.hpp"

#include <memory>

// The application-delegate protocol: the selectors the application sends its delegate through
// the runtime, with their implementation types. All are optional; the application calls
// them on the main thread when the delegate answers them.
namespace appkit {

inline constexpr const char* NSApplicationDelegateProtocol = "NSApplicationDelegate";

inline constexpr const char* kApplicationDidFinishLaunchingSelector = "applicationDidFinishLaunching:";
inline constexpr const char* kApplicationContinueUserActivitySelector =
    "application:continueUserActivity:restorationHandler:";
inline constexpr const char* kApplicationDidRegisterForRemoteNotificationsSelector =
    "application:didRegisterForRemoteNotificationsWithDeviceToken:";
inline constexpr const char* kApplicationDidFailToRegisterForRemoteNotificationsSelector =
    "application:didFailToRegisterForRemoteNotificationsWithError:";

// (the did-finish-launching notification, boxed as objc::Box<foundation::Notification>).
using DidFinishLaunchingImplementation = objc::InstanceImplementation<void, objc::Id>;
// (application, user activity, restoration handler) → whether the delegate continued it.
using ContinueUserActivityImplementation =
    objc::InstanceImplementation<bool, objc::Id, objc::Id, foundation::UserActivityRestorationHandler>;
// (application, device token or error).
using RemoteNotificationsRegistrationImplementation = objc::InstanceImplementation<void, objc::Id, objc::Id>;

// Declares the protocol's methods with their type encodings (once; later calls do nothing).
void declareApplicationDelegateProtocol();

}  // namespace appkit
