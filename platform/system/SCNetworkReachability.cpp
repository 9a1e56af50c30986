#include "platform/system/SCNetworkReachability.hpp"

#include "platform/foundation/Dispatch.hpp"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace systemconfiguration {

namespace {

bool isLoopback(const sockaddr* address) {
    if (address->sa_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr) >> 24) == 127;
    if (address->sa_family == AF_INET6)
        return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    return false;
}

// True when the kernel has a route to the address: connecting a datagram socket only
// looks the route up, nothing is sent.
bool hasRoute(const addrinfo* entry) {
    int descriptor = ::socket(entry->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return false;
    sockaddr_storage address{};
    std::memcpy(&address, entry->ai_addr, entry->ai_addrlen);
    // Any port will do for the lookup; the discard port says what is meant.
    if (address.ss_family == AF_INET) reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(9);
    if (address.ss_family == AF_INET6) reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(9);
    bool routed = ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), entry->ai_addrlen) == 0;
    ::close(descriptor);
    return routed;
}

}  // namespace

SCNetworkReachability::SCNetworkReachability(std::string host) : host_(std::move(host)) {}

SCNetworkReachability::~SCNetworkReachability() { clearContext(); }

SCNetworkReachabilityFlags SCNetworkReachability::evaluate(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return 0;
    SCNetworkReachabilityFlags flags = 0;
    for (addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (!hasRoute(entry)) continue;
        flags = kSCNetworkReachabilityFlagsReachable;
        if (isLoopback(entry->ai_addr))
            flags |= kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect;
        break;
    }
    ::freeaddrinfo(found);
    return flags;
}

void SCNetworkReachability::clearContext() {
    if (context_.release && context_.info) context_.release(context_.info);
    context_ = {};
}

bool SCNetworkReachability::setCallback(SCNetworkReachabilityCallBack callback,
                                        const SCNetworkReachabilityContext* context) {
    std::lock_guard lock(mutex_);
    if (released_) return false;
    clearContext();
    callback_ = callback;
    if (callback && context) {
        context_ = *context;
        if (context_.retain && context_.info) context_.info = const_cast<void*>(context_.retain(context_.info));
    }
    return true;
}

bool SCNetworkReachability::schedule(const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode) {
    if (!runLoop) return false;
    std::weak_ptr<SCNetworkReachability> weakSelf = weak_from_this();
    {
        std::lock_guard lock(mutex_);
        if (released_ || sourceToken_) return false;
        auto [source, token] = runLoop->addSource(
            [weakSelf] {
                if (auto self = weakSelf.lock()) self->deliver();
            },
            mode);
        source_ = std::move(source);
        sourceToken_ = std::move(token);
        runLoop_ = runLoop;
        mode_ = std::string(mode);
        deliveredFlags_.reset();
    }
    auto observation = NetworkChangeMonitor::observe([weakSelf] {
        if (auto self = weakSelf.lock()) self->evaluateSoon();
    });
    {
        std::lock_guard lock(mutex_);
        if (sourceToken_) changeObservation_ = std::move(observation);
    }
    evaluateSoon();
    return true;
}

void SCNetworkReachability::evaluateSoon() {
    // Changes come in bursts; one evaluation waiting is enough.
    if (evaluationPending_.exchange(true)) return;
    dispatch::globalQueue(dispatch::Priority::utility)->async([weakSelf = weak_from_this()] {
        auto self = weakSelf.lock();
        if (!self) return;
        self->evaluationPending_ = false;
        self->evaluationFinished(evaluate(self->host_));
    });
}

bool SCNetworkReachability::unschedule(const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode) {
    std::unique_ptr<foundation::RunLoopToken> token;
    std::unique_ptr<NetworkChangeMonitor::Observation> observation;
    {
        std::lock_guard lock(mutex_);
        if (!sourceToken_ || runLoop != runLoop_ || mode != mode_) return false;
        token = std::move(sourceToken_);
        observation = std::move(changeObservation_);
        source_.reset();
        runLoop_.reset();
        pendingFlags_.reset();
    }
    return true;
}

void SCNetworkReachability::release() {
    std::unique_ptr<foundation::RunLoopToken> token;
    std::unique_ptr<NetworkChangeMonitor::Observation> observation;
    std::lock_guard lock(mutex_);
    released_ = true;
    callback_ = nullptr;
    clearContext();
    token = std::move(sourceToken_);
    observation = std::move(changeObservation_);
    source_.reset();
    runLoop_.reset();
}

void SCNetworkReachability::evaluationFinished(SCNetworkReachabilityFlags flags) {
    std::lock_guard lock(mutex_);
    if (!source_) return;
    pendingFlags_ = flags;
    source_->signal();
    if (runLoop_) runLoop_->wakeUp();
}

void SCNetworkReachability::deliver() {
    SCNetworkReachabilityCallBack callback = nullptr;
    void* info = nullptr;
    SCNetworkReachabilityFlags flags = 0;
    {
        std::lock_guard lock(mutex_);
        if (!pendingFlags_ || released_) return;
        flags = *pendingFlags_;
        pendingFlags_.reset();
        if (deliveredFlags_ == flags) return;
        deliveredFlags_ = flags;
        callback = callback_;
        info = context_.info;
    }
    if (callback) callback(shared_from_this(), flags, info);
}

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(CFAllocatorRef, const char* nodename) {
    if (!nodename || !*nodename) return nullptr;
    return std::make_shared<SCNetworkReachability>(nodename);
}

bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callout,
                                      SCNetworkReachabilityContext* context) {
    return target && target->setCallback(callout, context);
}

bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<foundation::RunLoop>& runLoop,
                                              std::string_view runLoopMode) {
    return target && target->schedule(runLoop, runLoopMode);
}

bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<foundation::RunLoop>& runLoop,
                                                std::string_view runLoopMode) {
    return target && target->unschedule(runLoop, runLoopMode);
}

void CFRelease(const SCNetworkReachabilityRef& target) {
    if (target) target->release();
}

}  // namespace systemconfiguration
