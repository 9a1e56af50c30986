#include "platform/appkit/Application.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {

// Info.plist switches are Booleans, though older bundles write them as "YES" or "1".
bool infoSwitch(const foundation::Bundle& bundle, const char* key) {
    auto value = bundle.objectForInfoDictionaryKey(key);
    if (auto number = std::dynamic_pointer_cast<foundation::Number>(value)) return number->boolValue();
    auto text = foundation::stringValue(value);
    return text && (*text == "YES" || *text == "true" || *text == "1");
}

}  // namespace

ApplicationActivationPolicy Application::activationPolicy() const {
    dispatch::checkMainThread();
    if (activationPolicy_) return *activationPolicy_;
    auto bundle = foundation::Bundle::mainBundle();
    if (bundle && infoSwitch(*bundle, "LSBackgroundOnly")) return ApplicationActivationPolicy::prohibited;
    if (bundle && infoSwitch(*bundle, "LSUIElement")) return ApplicationActivationPolicy::accessory;
    return ApplicationActivationPolicy::regular;
}

bool Application::setActivationPolicy(ApplicationActivationPolicy policy) {
    dispatch::checkMainThread();
    activationPolicy_ = policy;
    return true;
}

}  // namespace appkit
