#include "sdk/utilities/ZULReachabilityDelegate.hpp"

void ZULAdoptReachabilityDelegate(objc::Class* runtimeClass, ZULReachabilityStatusChangedImplementation implementation) {
    runtimeClass->addProtocol(kZULReachabilityDelegateProtocol);
    objc::addMethod(runtimeClass, kZULReachabilityStatusChangedSelector, std::move(implementation), "v@:@i");
}
