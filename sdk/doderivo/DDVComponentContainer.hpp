#pragma once

#include "sdk/doderivo/DDVComponent.hpp"

#include <map>
#include <memory>
#include <string>
#include <vector>

class ZIZAdu;

// The components of one app, instantiated on request (or eagerly at configuration) and kept
// for the app's life. Used on the thread that configures the app; holds the app weakly.
class DDVComponentContainer {
public:
    DDVComponentContainer(std::weak_ptr<ZIZAdu> app, std::vector<DDVComponent> components);

    // The instance for the protocol, made on first request; nil when no component offers it.
    objc::Id instanceForProtocol(const std::string& protocolName);
    // Makes the instances of the components that start at configuration.
    void instantiateEagerComponents(bool isDefaultApp);

    std::shared_ptr<ZIZAdu> app() const { return app_.lock(); }

private:
    std::weak_ptr<ZIZAdu> app_;
    std::map<std::string, DDVComponent> components_;
    std::map<std::string, objc::Id> instances_;
};
