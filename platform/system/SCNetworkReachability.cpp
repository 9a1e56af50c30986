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

SCNetworkReachability::~SCNetworkReachability() { state_.lock()->clearContext(); }

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

void SCNetworkReachability::State::clearContext() {
    if (context.release && context.info) context.release(context.info);
    context = {};
}

bool SCNetworkReachability::setCallback(SCNetworkReachabilityCallBack callback,
                                        const SCNetworkReachabilityContext* context) {
    auto state = state_.lock();
    if (state->released) return false;
    state->clearContext();
    state->callback = callback;
    if (callback && context) {
        state->context = *context;
        if (state->context.retain && state->context.info)
            state->context.info = const_cast<void*>(state->context.retain(state->context.info));
    }
    return true;
}

bool SCNetworkReachability::schedule(const std::shared_ptr<foundation::RunLoop>& runLoop, std::string_view mode) {
    if (!runLoop) return false;
    std::weak_ptr<SCNetworkReachability> weakSelf = weak_from_this();
    {
        auto state = state_.lock();
        if (state->released || state->sourceToken) return false;
        auto [source, token] = runLoop->addSource(
            [weakSelf] {
                if (auto self = weakSelf.lock()) self->deliver();
            },
            mode);
        state->source = std::move(source);
        state->sourceToken = std::move(token);
        state->runLoop = runLoop;
        state->mode = std::string(mode);
        state->deliveredFlags.reset();
    }
    auto observation = NetworkChangeMonitor::observe([weakSelf] {
        if (auto self = weakSelf.lock()) self->evaluateSoon();
    });
    {
        auto state = state_.lock();
        if (state->sourceToken) state->changeObservation = std::move(observation);
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
        auto state = state_.lock();
        if (!state->sourceToken || runLoop != state->runLoop || mode != state->mode) return false;
        token = std::move(state->sourceToken);
        observation = std::move(state->changeObservation);
        state->source.reset();
        state->runLoop.reset();
        state->pendingFlags.reset();
    }
    return true;
}

void SCNetworkReachability::release() {
    std::unique_ptr<foundation::RunLoopToken> token;
    std::unique_ptr<NetworkChangeMonitor::Observation> observation;
    auto state = state_.lock();
    state->released = true;
    state->callback = nullptr;
    state->clearContext();
    token = std::move(state->sourceToken);
    observation = std::move(state->changeObservation);
    state->source.reset();
    state->runLoop.reset();
}

void SCNetworkReachability::evaluationFinished(SCNetworkReachabilityFlags flags) {
    auto state = state_.lock();
    if (!state->source) return;
    state->pendingFlags = flags;
    state->source->signal();
    if (state->runLoop) state->runLoop->wakeUp();
}

void SCNetworkReachability::deliver() {
    SCNetworkReachabilityCallBack callback = nullptr;
    void* info = nullptr;
    SCNetworkReachabilityFlags flags = 0;
    {
        auto state = state_.lock();
        if (!state->pendingFlags || state->released) return;
        flags = *state->pendingFlags;
        state->pendingFlags.reset();
        if (state->deliveredFlags == flags) return;
        state->deliveredFlags = flags;
        callback = state->callback;
        info = state->context.info;
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
