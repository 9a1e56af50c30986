#pragma once

#include "platform/system/SCNetworkReachability.hpp"

#include <cstdint>

// Reachability of a host as the checker reports it: 0 unknown, 1 not reachable, 2 reachable.
using ZULReachabilityStatus = std::int32_t;
inline constexpr ZULReachabilityStatus kZULReachabilityUnknown = 0;
inline constexpr ZULReachabilityStatus kZULReachabilityNotReachable = 1;
inline constexpr ZULReachabilityStatus kZULReachabilityViaWifi = 2;

// The platform functions the reachability checker calls, in this order: create a target for
// a host name, set its callback, schedule it on a run loop, unschedule it, release it. Tests
// put a table of their own in place while the checker is stopped.
struct ZULReachabilityApi {
    systemconfiguration::SCNetworkReachabilityRef (*createWithNameFn)(systemconfiguration::CFAllocatorRef allocator,
                                                                      const char* host);
    bool (*setCallbackFn)(const systemconfiguration::SCNetworkReachabilityRef& target,
                          systemconfiguration::SCNetworkReachabilityCallBack callback,
                          systemconfiguration::SCNetworkReachabilityContext* context);
    bool (*scheduleWithRunLoopFn)(const systemconfiguration::SCNetworkReachabilityRef& target,
                                  const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode);
    bool (*unscheduleFromRunLoopFn)(const systemconfiguration::SCNetworkReachabilityRef& target,
                                    const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode);
    void (*releaseFn)(const systemconfiguration::SCNetworkReachabilityRef& target);
};

// The platform's own functions.
extern const ZULReachabilityApi kZULDefaultReachabilityApi;
