#include "sdk/utilities/ZULReachabilityApi.hpp"

const ZULReachabilityApi kZULDefaultReachabilityApi = {
    &systemconfiguration::SCNetworkReachabilityCreateWithName,
    &systemconfiguration::SCNetworkReachabilitySetCallback,
    &systemconfiguration::SCNetworkReachabilityScheduleWithRunLoop,
    &systemconfiguration::SCNetworkReachabilityUnscheduleFromRunLoop,
    &systemconfiguration::CFRelease,
};
