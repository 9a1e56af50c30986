#include "sdk/doderivo/ZIZAdu.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "sdk/doderivo/DDVLogger.hpp"

#include <mutex>
#include <optional>
#include <vector>

namespace {

struct RegisteredLibrary {
    std::shared_ptr<DDVLibrary> library;
    std::string name;
    std::string version;
};

struct Registry {
    std::mutex mutex;
    std::vector<RegisteredLibrary> libraries;
    // Collected from the libraries on the first configuration of the process.
    std::optional<std::vector<DDVComponent>> components;
    std::shared_ptr<ZIZAdu> defaultApp;
};

Registry& registry() {
    static Registry instance;
    return instance;
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
    auto& state = registry();
    std::vector<DDVComponent> components;
    std::vector<RegisteredLibrary> libraries;
    std::shared_ptr<ZIZAdu> app;
    {
        std::lock_guard lock(state.mutex);
        if (state.defaultApp) {
            // An extension may be set up again by its host; there the call is a no-op.
            if (isAppExtension()) return;
            foundation::Exception::raise(kDDVCoreExceptionName, "Default app has already been configured.");
        }
        DDVLogBasic(DDVLoggerLevel::notice, kDDVLoggerServiceCore, "I-COR000001", "Configuring the default app.");
        if (!state.components) {
            state.components.emplace();
            for (const auto& registered : state.libraries)
                for (auto& component : registered.library->componentsToRegister())
                    state.components->push_back(std::move(component));
        }
        components = *state.components;
        libraries = state.libraries;
        app = std::make_shared<ZIZAdu>(kDDVDefaultAppName, std::move(options));
        app->container_ = std::make_unique<DDVComponentContainer>(app, std::move(components));
        state.defaultApp = app;
    }
    // Outside the lock: components and libraries may ask for the default app.
    app->container().instantiateEagerComponents(app->isDefaultApp());
    for (const auto& registered : libraries) registered.library->configureWithApp(app);
}

std::shared_ptr<ZIZAdu> ZIZAdu::defaultApp() {
    std::lock_guard lock(registry().mutex);
    return registry().defaultApp;
}

bool ZIZAdu::isDefaultAppConfigured() { return defaultApp() != nullptr; }

void ZIZAdu::registerInternalLibrary(std::shared_ptr<DDVLibrary> library, std::string name, std::string version) {
    if (!library) return;
    auto& state = registry();
    std::lock_guard lock(state.mutex);
    for (const auto& registered : state.libraries)
        if (registered.name == name) return;  // a library registers once
    state.libraries.push_back({std::move(library), std::move(name), std::move(version)});
}

void ZIZAdu::resetForTesting() {
    auto& state = registry();
    std::lock_guard lock(state.mutex);
    state.components.reset();
    state.defaultApp.reset();
}
