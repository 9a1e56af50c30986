#pragma once

#include "platform/objc/Object.hpp"

#include <functional>
#include <string>

class DDVComponentContainer;

// When a component's instance is made.
enum class DDVInstantiationTiming {
    lazy,               // on first request
    alwaysEager,        // when any app is configured
    eagerInDefaultApp,  // when the default app is configured
};

// One service a library offers to the app's container, found by its protocol name. A plain
// value; the creation block runs on the thread that configures the app or asks for the
// instance.
struct DDVComponent {
    std::string protocolName;
    DDVInstantiationTiming instantiationTiming = DDVInstantiationTiming::lazy;
    std::function<objc::Id(DDVComponentContainer& container)> creationBlock;
};
