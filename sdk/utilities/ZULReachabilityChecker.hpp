#pragma once

#include "platform/objc/Object.hpp"
#include "sdk/utilities/ZULReachabilityApi.hpp"
#include "sdk/utilities/ZULReachabilityDelegate.hpp"

#include <memory>
#include <string>

// Watches whether one host name is reachable and tells its delegate each time the status
// changes. Start, stop and the reports all happen on the main thread (the target is
// scheduled on the main run loop); the fields are not locked. The delegate is held weakly;
// destroying the checker stops it.
class ZULReachabilityChecker final : public objc::Object {
public:
    // Nil (with an error line) for an empty host.
    static std::shared_ptr<ZULReachabilityChecker> initWithReachabilityDelegate(const objc::Id& delegate,
                                                                                const std::string& host);
    ~ZULReachabilityChecker() override;

    const ZULReachabilityApi* reachabilityApi() const { return reachabilityApi_; }
    // Refused (with an error line) while monitoring.
    void setReachabilityApi(const ZULReachabilityApi* reachabilityApi);
    bool isActive() const { return reachability_ != nullptr; }
    // Nil is accepted; an object that does not conform to the delegate protocol is refused.
    void setReachabilityDelegate(const objc::Id& delegate);

    // True when monitoring runs (also when it already ran).
    bool start();
    void stop();
    ZULReachabilityStatus statusForFlags(systemconfiguration::SCNetworkReachabilityFlags flags) const;
    void reachabilityFlagsChanged(systemconfiguration::SCNetworkReachabilityFlags flags);

    const systemconfiguration::SCNetworkReachabilityRef& reachability() const { return reachability_; }
    void setReachability(systemconfiguration::SCNetworkReachabilityRef reachability) { reachability_ = std::move(reachability); }
    ZULReachabilityStatus reachabilityStatus() const { return reachabilityStatus_; }
    void setReachabilityStatus(ZULReachabilityStatus status) { reachabilityStatus_ = status; }
    const std::string& host() const { return host_; }
    void setHost(std::string host) { host_ = std::move(host); }
    objc::Id reachabilityDelegate() const { return reachabilityDelegate_.lock(); }

    struct ConstructionToken;
    explicit ZULReachabilityChecker(const ConstructionToken&);

private:
    ZULReachabilityStatus reachabilityStatus_ = kZULReachabilityUnknown;
    const ZULReachabilityApi* reachabilityApi_ = &kZULDefaultReachabilityApi;
    systemconfiguration::SCNetworkReachabilityRef reachability_;
    std::string host_;
    objc::WeakId reachabilityDelegate_;
};
