#include "sdk/utilities/ZULAppDelegateObserver.hpp"

#include "platform/foundation/KeyValueObserving.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/objc/Runtime.hpp"
#include "sdk/utilities/ZULAppDelegateSwizzler.hpp"

namespace {

constexpr const char* delegateKeyPath = "delegate";

objc::Class* observerClass() {
    static objc::Class* const made = [] {
        objc::Class* created = objc::defineClass("ZULAppDelegateObserver");
        objc::addMethod(created, foundation::kObserveValueForKeyPathSelector,
                        foundation::ObserveValueForKeyPathImplementation(
                            [](const objc::Id& self, std::shared_ptr<foundation::String> keyPath, objc::Id object,
                               std::shared_ptr<foundation::Dictionary> change, void* context) {
                                objc::as<ZULAppDelegateObserver>(self)->observeValueForKeyPath(
                                    keyPath ? keyPath->value() : std::string(), object, change, context);
                            }),
                        "v@:@@@^v");
        return created;
    }();
    return made;
}

// A change dictionary's value, with Null read as nil.
objc::Id changedValue(const std::shared_ptr<foundation::Dictionary>& change, const char* key) {
    auto value = change ? change->objectForKey(key) : nullptr;
    return value == foundation::Null::null() ? nullptr : value;
}

}  // namespace

std::shared_ptr<ZULAppDelegateObserver> ZULAppDelegateObserver::sharedInstance() {
    static const std::shared_ptr<ZULAppDelegateObserver> shared = std::make_shared<ZULAppDelegateObserver>();
    return shared;
}

ZULAppDelegateObserver::ZULAppDelegateObserver() : objc::Object(observerClass()) {}

bool ZULAppDelegateObserver::isObserving() const { return observation_.lock()->isObserving; }

void ZULAppDelegateObserver::observeUIApplication() {
    auto observation = observation_.lock();
    if (observation->isObserving) return;
    auto application = ZULAppDelegateSwizzler::sharedApplication();
    foundation::addObserver(application, shared_from_this(), delegateKeyPath,
                            foundation::NSKeyValueObservingOptionNew | foundation::NSKeyValueObservingOptionOld,
                            nullptr);
    observation->application = application;
    observation->isObserving = true;
}

void ZULAppDelegateObserver::observeValueForKeyPath(const std::string& keyPath, const objc::Id&,
                                                    const std::shared_ptr<foundation::Dictionary>& change, void*) {
    if (keyPath != delegateKeyPath) return;
    auto newDelegate = changedValue(change, foundation::NSKeyValueChangeNewKey);
    auto oldDelegate = changedValue(change, foundation::NSKeyValueChangeOldKey);
    if (objc::isEqual(newDelegate, oldDelegate) || !oldDelegate ||
        !objc::isEqual(oldDelegate, ZULAppDelegateSwizzler::originalDelegate()))
        return;
    ZULAppDelegateSwizzler::dropOriginalDelegate();
    stopObserving();
}

void ZULAppDelegateObserver::stopObserving() {
    auto observation = observation_.lock();
    foundation::removeObserver(ZULAppDelegateSwizzler::sharedApplication(), shared_from_this(), delegateKeyPath);
    *observation = {};
}

void ZULAppDelegateObserver::resetForTesting() {
    auto observation = observation_.lock();
    foundation::removeObserver(observation->application.lock(), shared_from_this(), delegateKeyPath);
    *observation = {};
}
