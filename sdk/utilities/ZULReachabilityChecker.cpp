#include "sdk/utilities/ZULReachabilityChecker.hpp"

#include "platform/foundation/Format.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/objc/Class.hpp"
#include "sdk/utilities/ZULLogger.hpp"

using namespace systemconfiguration;

namespace {

constexpr const char* reachabilityService = "[ZULReachability]";

enum ZULReachabilityMessageCode : long {
    kZULReachabilityMessageCodeApiChangeWhileRunning = 902000,
    kZULReachabilityMessageCodeInvalidHost = 902001,
    kZULReachabilityMessageCodeStartFailed = 902002,
    kZULReachabilityMessageCodeMonitoring = 902003,
    kZULReachabilityMessageCodeStatusChanged = 902004,
    kZULReachabilityMessageCodeNonConformingDelegate = 902005,
};

std::string reachabilityCode(long number) { return foundation::format("I-REA%06ld", number); }

const char* statusName(ZULReachabilityStatus status) {
    if (status == kZULReachabilityUnknown) return "Unknown";
    if (status == kZULReachabilityNotReachable) return "Disconnected";
    return "Connected";
}

void reachabilityCallback(const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags flags, void* info) {
    // The checker releases its target before it goes away, so the pointer is live here.
    static_cast<ZULReachabilityChecker*>(info)->reachabilityFlagsChanged(flags);
}

}  // namespace

struct ZULReachabilityChecker::ConstructionToken {};

ZULReachabilityChecker::ZULReachabilityChecker(const ConstructionToken&)
    : objc::Object(objc::defineClass("ZULReachabilityChecker")) {}

std::shared_ptr<ZULReachabilityChecker> ZULReachabilityChecker::initWithReachabilityDelegate(const objc::Id& delegate,
                                                                                             const std::string& host) {
    if (host.empty()) {
        ZULLogError(kZULLoggerSubsystem, reachabilityService, false,
                    reachabilityCode(kZULReachabilityMessageCodeInvalidHost), "Invalid host specified");
        return nullptr;
    }
    auto checker = std::make_shared<ZULReachabilityChecker>(ConstructionToken{});
    checker->setReachabilityDelegate(delegate);
    checker->host_ = host;
    return checker;
}

ZULReachabilityChecker::~ZULReachabilityChecker() {
    reachabilityDelegate_.reset();
    stop();
}

void ZULReachabilityChecker::setReachabilityApi(const ZULReachabilityApi* reachabilityApi) {
    if (reachability_) {
        ZULLogError(kZULLoggerSubsystem, reachabilityService, false,
                    reachabilityCode(kZULReachabilityMessageCodeApiChangeWhileRunning),
                    "Cannot change reachability API while reachability is running. Call stop first.");
        return;
    }
    reachabilityApi_ = reachabilityApi;
}

void ZULReachabilityChecker::setReachabilityDelegate(const objc::Id& delegate) {
    if (delegate && !objc::conformsToProtocol(delegate, kZULReachabilityDelegateProtocol)) {
        ZULLogError(kZULLoggerSubsystem, reachabilityService, false,
                    foundation::format("I-NET%06ld", long{kZULReachabilityMessageCodeNonConformingDelegate}),
                    "Reachability delegate doesn't conform to Reachability protocol.");
        return;
    }
    reachabilityDelegate_ = delegate;
}

bool ZULReachabilityChecker::start() {
    dispatch::checkMainThread();
    if (!reachability_) {
        reachability_ = reachabilityApi_->createWithNameFn(kCFAllocatorDefault, host_.c_str());
        if (!reachability_) return false;
        SCNetworkReachabilityContext context{0, this, nullptr, nullptr, nullptr};
        bool callbackSet = reachabilityApi_->setCallbackFn(reachability_, &reachabilityCallback, &context);
        bool scheduled = callbackSet && reachabilityApi_->scheduleWithRunLoopFn(
                                            reachability_, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes);
        if (!scheduled) {
            reachabilityApi_->releaseFn(reachability_);
            reachability_ = nullptr;
            ZULLogError(kZULLoggerSubsystem, reachabilityService, false,
                        reachabilityCode(kZULReachabilityMessageCodeStartFailed), "Failed to start reachability handle");
            return false;
        }
    }
    ZULLogDebug(kZULLoggerSubsystem, reachabilityService, false, reachabilityCode(kZULReachabilityMessageCodeMonitoring),
                "Monitoring the network status");
    return true;
}

void ZULReachabilityChecker::stop() {
    dispatch::checkMainThread();
    reachabilityStatus_ = kZULReachabilityUnknown;
    if (!reachability_) return;
    reachabilityApi_->unscheduleFromRunLoopFn(reachability_, foundation::RunLoop::main(), foundation::NSRunLoopCommonModes);
    reachabilityApi_->releaseFn(reachability_);
    reachability_ = nullptr;
}

ZULReachabilityStatus ZULReachabilityChecker::statusForFlags(SCNetworkReachabilityFlags flags) const {
    bool reachable = flags & kSCNetworkReachabilityFlagsReachable;
    bool connectionRequired = flags & kSCNetworkReachabilityFlagsConnectionRequired;
    bool interventionRequired = flags & kSCNetworkReachabilityFlagsInterventionRequired;
    bool connectsAutomatically =
        flags & (kSCNetworkReachabilityFlagsConnectionOnTraffic | kSCNetworkReachabilityFlagsConnectionOnDemand);
    if (reachable && (!connectionRequired || (!interventionRequired && connectsAutomatically)))
        return kZULReachabilityViaWifi;
    return kZULReachabilityNotReachable;
}

void ZULReachabilityChecker::reachabilityFlagsChanged(SCNetworkReachabilityFlags flags) {
    dispatch::checkMainThread();
    ZULReachabilityStatus status = statusForFlags(flags);
    if (status == reachabilityStatus_) return;
    ZULLogDebug(kZULLoggerSubsystem, reachabilityService, false, reachabilityCode(kZULReachabilityMessageCodeStatusChanged),
                "Network status has changed. Code:%@, status:%@", foundation::Number::withInteger(status),
                foundation::String::make(statusName(status)));
    reachabilityStatus_ = status;
    if (auto delegate = reachabilityDelegate_.lock()) {
        auto self = std::static_pointer_cast<ZULReachabilityChecker>(shared_from_this());
        objc::send<void, std::shared_ptr<ZULReachabilityChecker>, ZULReachabilityStatus>(
            delegate, kZULReachabilityStatusChangedSelector, self, status);
    }
}
