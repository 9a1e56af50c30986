#pragma once

#include "platform/objc/Runtime.hpp"
#include "sdk/utilities/ZULReachabilityApi.hpp"

#include <memory>

class ZULReachabilityChecker;

// The protocol a reachability delegate's runtime class conforms to, and its one operation,
// called on the main thread with the checker and the new status.
inline constexpr const char* kZULReachabilityDelegateProtocol = "ZULReachabilityDelegate";
inline constexpr const char* kZULReachabilityStatusChangedSelector = "reachability:statusChanged:";

using ZULReachabilityStatusChangedImplementation =
    objc::InstanceImplementation<void, std::shared_ptr<ZULReachabilityChecker>, ZULReachabilityStatus>;

// Gives a runtime class the protocol with the implementation.
void ZULAdoptReachabilityDelegate(objc::Class* runtimeClass, ZULReachabilityStatusChangedImplementation implementation);
