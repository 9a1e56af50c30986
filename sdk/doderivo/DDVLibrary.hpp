#pragma once

#include "sdk/doderivo/DDVComponent.hpp"

#include <memory>
#include <vector>

class ZIZAdu;

// A library that plugs into Doderivo: it names the components it offers and is told when
// an app has been configured. Registered once, at load, with ZIZAdu::registerInternalLibrary;
// lives for the process. Called on the thread that configures the app.
class DDVLibrary {
public:
    virtual ~DDVLibrary() = default;
    virtual std::vector<DDVComponent> componentsToRegister() const { return {}; }
    virtual void configureWithApp(const std::shared_ptr<ZIZAdu>& app) { (void)app; }
};
