#pragma once

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/system/NetworkChangeMonitor.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace systemconfiguration {

using SCNetworkReachabilityFlags = std::uint32_t;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsTransientConnection = 1u << 0;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsReachable = 1u << 1;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsConnectionRequired = 1u << 2;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsConnectionOnTraffic = 1u << 3;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsInterventionRequired = 1u << 4;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsConnectionOnDemand = 1u << 5;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsIsLocalAddress = 1u << 16;
inline constexpr SCNetworkReachabilityFlags kSCNetworkReachabilityFlagsIsDirect = 1u << 17;

using CFAllocatorRef = const void*;
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

class SCNetworkReachability;
// A reachability target. The process keeps it alive while it is scheduled; CFRelease ends
// its callbacks.
using SCNetworkReachabilityRef = std::shared_ptr<SCNetworkReachability>;

using SCNetworkReachabilityCallBack = void (*)(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags flags,
                                               void* info);

// The information handed back to the callback. Retain and release, when given, are called
// on the information when the context is set and when it is replaced or released.
struct SCNetworkReachabilityContext {
    long version = 0;
    void* info = nullptr;
    const void* (*retain)(const void* info) = nullptr;
    void (*release)(const void* info) = nullptr;
    const char* (*copyDescription)(const void* info) = nullptr;
};

// Watches whether the host name's addresses can be reached: the name is resolved and the
// kernel's routing table is asked for a route to the first address (a connected datagram
// socket, which sends nothing). The evaluation runs on a global queue when the target is
// scheduled and again after every change of the machine's links, addresses or routes; the
// callback runs on the run loop it was scheduled on, in its mode, once with the first result
// and again whenever the flags change. Thread-safe.
class SCNetworkReachability : public std::enable_shared_from_this<SCNetworkReachability> {
public:
    explicit SCNetworkReachability(std::string host);
    ~SCNetworkReachability();
    SCNetworkReachability(const SCNetworkReachability&) = delete;
    SCNetworkReachability& operator=(const SCNetworkReachability&) = delete;

    const std::string& host() const { return host_; }

    bool setCallback(SCNetworkReachabilityCallBack callback, const SCNetworkReachabilityContext* context);
    bool schedule(const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode);
    bool unschedule(const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode);
    void release();
    // Resolves and routes now, on the calling thread.
    static SCNetworkReachabilityFlags evaluate(const std::string& host);

private:
    void evaluateSoon();
    void evaluationFinished(SCNetworkReachabilityFlags flags);
    void deliver();

    // Everything the target's lock guards.
    struct State {
        SCNetworkReachabilityCallBack callback = nullptr;
        SCNetworkReachabilityContext context;
        std::shared_ptr<foundation::RunLoop> runLoop;
        std::string mode;
        std::shared_ptr<foundation::RunLoop::Source> source;
        std::unique_ptr<foundation::RunLoopToken> sourceToken;
        std::optional<SCNetworkReachabilityFlags> pendingFlags;
        std::optional<SCNetworkReachabilityFlags> deliveredFlags;
        std::unique_ptr<NetworkChangeMonitor::Observation> changeObservation;
        bool released = false;

        void clearContext();
    };

    const std::string host_;
    foundation::Guarded<State> state_;
    std::atomic<bool> evaluationPending_{false};
};

// The platform's functions over a target. Creation fails (nil) for a nil or empty name.
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(CFAllocatorRef allocator, const char* nodename);
bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callout,
                                      SCNetworkReachabilityContext* context);
bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<foundation::RunLoop>& runLoop,
                                              std::string_view runLoopMode);
bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<foundation::RunLoop>& runLoop,
                                                std::string_view runLoopMode);
// Unschedules the target and drops its callback; the handle is then spent.
void CFRelease(const SCNetworkReachabilityRef& target);

}  // namespace systemconfiguration
