#pragma once

#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/objc/Object.hpp"

#include <memory>
#include <string>

// Watches the shared application's "delegate" property so that the delegate proxy lets go
// of the delegate it proxied once the application gets another one. One instance lives for
// the process; it hears of changes on the thread that set the delegate, and may be started
// from any thread.
class ZULAppDelegateObserver final : public objc::Object {
public:
    static std::shared_ptr<ZULAppDelegateObserver> sharedInstance();
    ZULAppDelegateObserver();

    bool isObserving() const;
    // Observes the application's "delegate" (new and old values) unless it already does.
    void observeUIApplication();
    void observeValueForKeyPath(const std::string& keyPath, const objc::Id& object,
                                const std::shared_ptr<foundation::Dictionary>& change, void* context);

    // Test support: stops observing whatever application it observed.
    void resetForTesting();

private:
    void stopObserving();

    struct Observation {
        bool isObserving = false;
        objc::WeakId application;
    };
    foundation::Guarded<Observation> observation_;
};
