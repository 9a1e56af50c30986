#pragma once

#include "sdk/doderivo/DDVComponentContainer.hpp"
#include "sdk/doderivo/DDVLibrary.hpp"
#include "sdk/doderivo/DDVOptions.hpp"

#include <memory>
#include <string>

inline constexpr const char* kDDVDefaultAppName = "__ZIZADU_DEFAULT";
// The name of every exception the core raises for an invalid configuration.
inline constexpr const char* kDDVCoreExceptionName = "com.doderivo.core";

// A configured Doderivo app: its name, options and component container. The default app
// is configured once per process, on the main thread at launch, and lives for the process;
// the registry of apps and libraries is guarded so that libraries may register from any
// thread at load.
class ZIZAdu : public std::enable_shared_from_this<ZIZAdu> {
public:
    // Configures the default app from the main bundle's "ZadizuService-Info.plist". Raises a
    // foundation::Exception named "com.doderivo.core" when the plist is missing or invalid,
    // or when the default app is already configured (outside an application extension).
    static void configure();
    // The same with given options.
    static void configureWithOptions(std::shared_ptr<DDVOptions> options);

    // Nil until configured.
    static std::shared_ptr<ZIZAdu> defaultApp();
    static bool isDefaultAppConfigured();

    // Makes a library's components part of every app configured afterwards and tells it of
    // each configuration. The name is how the library is known (its class name).
    static void registerInternalLibrary(std::shared_ptr<DDVLibrary> library, std::string name,
                                        std::string version);

    // Test support: forgets the default app and the collected components; registered
    // libraries stay, as they do for the life of a process.
    static void resetForTesting();

    ZIZAdu(std::string name, std::shared_ptr<DDVOptions> options);

    const std::string& name() const { return name_; }
    const std::shared_ptr<DDVOptions>& options() const { return options_; }
    bool isDefaultApp() const { return name_ == kDDVDefaultAppName; }
    DDVComponentContainer& container() { return *container_; }

private:
    std::string name_;
    std::shared_ptr<DDVOptions> options_;
    std::unique_ptr<DDVComponentContainer> container_;
};
