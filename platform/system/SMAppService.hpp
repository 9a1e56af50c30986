#pragma once

#include "platform/foundation/Error.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace servicemanagement {

// A service's registration, with the platform's values.
enum class SMAppServiceStatus : std::int64_t { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

inline constexpr const char* SMAppServiceErrorDomain = "SMAppServiceErrorDomain";
// The platform's codes for the failures this service can meet.
inline constexpr std::int64_t kSMErrorInternalFailure = 2;
inline constexpr std::int64_t kSMErrorJobNotFound = 6;
inline constexpr std::int64_t kSMErrorLaunchDeniedByUser = 11;

// The main application as a login item: a desktop autostart entry,
// ~/.config/autostart/<bundle identifier>.desktop, that starts the main bundle's executable
// (Contents/MacOS/<CFBundleExecutable>). Every call looks at the main bundle and the file
// system afresh, so the answers follow what the user changes in the desktop's settings.
// Stateless; safe from any thread.
class SMAppService {
public:
    static std::shared_ptr<SMAppService> mainAppService();

    // Writes the entry (again, when it is there: an application that moved then starts from
    // its new place). Refused while the user has switched the entry off
    // (kSMErrorLaunchDeniedByUser) and when the main bundle has no executable to start
    // (kSMErrorJobNotFound).
    bool registerAndReturnError(std::shared_ptr<foundation::Error>* error = nullptr);
    // Removes the entry; kSMErrorJobNotFound when there is none.
    bool unregisterAndReturnError(std::shared_ptr<foundation::Error>* error = nullptr);
    // enabled while an entry the user left on is there, requiresApproval while the user has
    // switched it off, notFound when the main bundle has no executable to start.
    SMAppServiceStatus status() const;

private:
    struct Service {
        std::string name;
        std::filesystem::path executable;
        std::filesystem::path entry;
    };
    // The main bundle's service, when it names an identifier usable as a file name and an
    // executable that exists.
    static std::optional<Service> mainService();
};

}  // namespace servicemanagement
