#include "analytics/engine/DDVAnalytics.hpp"

#include "analytics/engine/AMSAnalytics.hpp"
#include "analytics/engine/AMSMonitor.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"

namespace {

// Starts the measurement engine when the default app is configured.
class DDVAnalyticsLibrary final : public DDVLibrary {
public:
    void configureWithApp(const std::shared_ptr<ZIZAdu>& app) override {
        if (app && app->isDefaultApp()) AMSAnalytics::start();
    }
};

// Registered at load, like every Doderivo library, so configuring finds it by name.
[[maybe_unused]] const bool registered = [] {
    ZIZAdu::registerInternalLibrary(std::make_shared<DDVAnalyticsLibrary>(), DDVAnalytics::kLibraryName,
                                    DDVAnalytics::kLibraryVersion);
    return true;
}();

}  // namespace

void DDVAnalytics::logEventWithName(const std::string& name,
                                    const std::shared_ptr<foundation::Dictionary>& parameters) {
    logEventWithOrigin("app", name, parameters);
}

void DDVAnalytics::logEventWithOrigin(const std::string& origin, const std::string& name,
                                      const std::shared_ptr<foundation::Dictionary>& parameters) {
    if (!ZIZAdu::isDefaultAppConfigured()) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeEventNotLoggedNotConfigured,
                        "Event not logged. DoderivoApp not configured.", name);
        return;
    }
    AMSAnalytics::logEventWithOrigin(origin, name, parameters);
}

void DDVAnalytics::setUserPropertyString(const std::string& value, const std::string& name) {
    if (!ZIZAdu::isDefaultAppConfigured()) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeUserPropertyNotSetNotConfigured,
                        "User property not set. DoderivoApp not configured.");
        return;
    }
    AMSAnalytics::setUserPropertyString(value, name);
}
