#include "platform/appkit/ApplicationDelegate.hpp"

#include "platform/objc/Protocol.hpp"

#include <mutex>

namespace appkit {

void declareApplicationDelegateProtocol() {
    static std::once_flag once;
    std::call_once(once, [] {
        auto* protocol = objc::defineProtocol(NSApplicationDelegateProtocol);
        auto declare = [protocol](const char* selector, const char* typeEncoding) {
            protocol->addMethodDescription(selector, typeEncoding, objc::MethodRequirement::optional,
                                           objc::MethodKind::instance);
        };
        declare(kApplicationDidFinishLaunchingSelector, "v24@0:8@16");
        declare(kApplicationContinueUserActivitySelector, "B40@0:8@16@24@?32");
        declare(kApplicationDidRegisterForRemoteNotificationsSelector, "v32@0:8@16@24");
        declare(kApplicationDidFailToRegisterForRemoteNotificationsSelector, "v32@0:8@16@24");
    });
}

}  // namespace appkit
