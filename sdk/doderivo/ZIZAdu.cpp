#include "sdk/doderivo/ZIZAdu.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "sdk/doderivo/DDVLogger.hpp"

#include <optional>
#include <vector>

namespace {

struct RegisteredLibrary {
    std::shared_ptr<DDVLibrary> library;
    std::string name;
    std::string version;
};

struct Registry {
    // Registered as the libraries load; kept for the life of the process.
    std::vector<RegisteredLibrary> libraries;
    // Collected from the libraries on the first configuration of the process.
    std::optional<std::vector<DDVComponent>> components;
    std::shared_ptr<ZIZAdu> defaultApp;
};

foundation::Guarded<Registry>& registry() {
    static foundation::Guarded<Registry> instance;
    return instance;
}

// A configuration is undone between tests; the libraries stay registered.
foundation::ProcessWideReset& configurationReset() {
    static foundation::ProcessWideReset reset([] { ZIZAdu::resetForTesting(); });
    return reset;
}

bool isAppExtension() {
    auto bundle = foundation::Bundle::mainBundle();
    return bundle && bundle->bundlePath().extension() == ".appex";
}

}  // namespace

ZIZAdu::ZIZAdu(std::string name, std::shared_ptr<DDVOptions> options)
    : name_(std::move(name)), options_(std::move(options)) {}

void ZIZAdu::configure() {
    dispatch::checkMainThread();
    auto options = DDVOptions::defaultOptions();
    if (!options)
        foundation::Exception::raise(
            kDDVCoreExceptionName,
            "`ZIZAdu.configure()` could not find a valid ZadizuService-Info.plist in your project. Please "
            "download one from https://console.doderivo.com/.");
    configureWithOptions(std::move(options));
}

void ZIZAdu::configureWithOptions(std::shared_ptr<DDVOptions> options) {
    std::vector<DDVComponent> components;
    std::vector<RegisteredLibrary> libraries;
    std::shared_ptr<ZIZAdu> app;
    {
        auto state = registry().lock();
        if (state->defaultApp) {
            // An extension may be set up again by its host; there the call is a no-op.
            if (isAppExtension()) return;
            foundation::Exception::raise(kDDVCoreExceptionName, "Default app has already been configured.");
        }
        DDVLogBasic(DDVLoggerLevel::notice, kDDVLoggerServiceCore, "I-COR000001", "Configuring the default app.");
        if (!state->components) {
            state->components.emplace();
            for (const auto& registered : state->libraries)
                for (auto& component : registered.library->componentsToRegister())
                    state->components->push_back(std::move(component));
        }
        components = *state->components;
        libraries = state->libraries;
        app = std::make_shared<ZIZAdu>(kDDVDefaultAppName, std::move(options));
        app->container_ = std::make_unique<DDVComponentContainer>(app, std::move(components));
        state->defaultApp = app;
        configurationReset().arm();
    }
    // Outside the lock: components and libraries may ask for the default app.
    app->container().instantiateEagerComponents(app->isDefaultApp());
    for (const auto& registered : libraries) registered.library->configureWithApp(app);
}

std::shared_ptr<ZIZAdu> ZIZAdu::defaultApp() { return registry().lock()->defaultApp; }

bool ZIZAdu::isDefaultAppConfigured() { return defaultApp() != nullptr; }

void ZIZAdu::registerInternalLibrary(std::shared_ptr<DDVLibrary> library, std::string name, std::string version) {
    if (!library) return;
    auto state = registry().lock();
    for (const auto& registered : state->libraries)
        if (registered.name == name) return;  // a library registers once
    state->libraries.push_back({std::move(library), std::move(name), std::move(version)});
}

void ZIZAdu::resetForTesting() {
    std::shared_ptr<ZIZAdu> dropped;  // released unlocked: its components may ask for the default app
    {
        auto state = registry().lock();
        state->components.reset();
        std::swap(dropped, state->defaultApp);
    }
}
