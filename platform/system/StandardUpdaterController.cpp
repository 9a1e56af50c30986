#include "platform/system/StandardUpdaterController.hpp"

#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/system/UnifiedLog.hpp"

namespace updates {

namespace {

std::string applicationName(const std::shared_ptr<foundation::Bundle>& bundle) {
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        auto name = bundle ? foundation::stringValue(bundle->objectForInfoDictionaryKey(key)) : std::nullopt;
        if (name && !name->empty()) return *name;
    }
    return "The application";
}

}  // namespace

StandardUpdaterController::StandardUpdaterController(bool startingUpdater, objc::Id /*updaterDelegate*/,
                                                     objc::Id /*userDriverDelegate*/) {
    dispatch::checkMainThread();
    auto bundle = foundation::Bundle::mainBundle();
    updater_ = std::make_shared<Updater>(bundle, StandardUserDriver(applicationName(bundle)));
    if (startingUpdater) startUpdater();
}

void StandardUpdaterController::startUpdater() {
    dispatch::checkMainThread();
    std::shared_ptr<foundation::Error> error;
    if (updater_->startUpdater(&error)) return;
    static const darwin::os_log_t log = darwin::os_log_create("com.kestrelvault.updater", "StandardUpdaterController");
    darwin::os_log_with_type(log, darwin::os_log_type_t::error, "The updater did not start: " + error->localizedDescription());
}

void StandardUpdaterController::checkForUpdates(const objc::Id&) { updater_->checkForUpdates(); }

}  // namespace updates
