#pragma once

#include "platform/foundation/Dictionary.hpp"

#include <memory>
#include <string>

// The public analytics interface the application calls. Nothing is recorded until the
// default Doderivo app is configured; configuring it starts the measurement engine. Called
// on the main thread; returns at once and never raises.
class DDVAnalytics {
public:
    // Logs the event with the origin "app". The parameters map string keys to string or
    // number values, or are nil.
    static void logEventWithName(const std::string& name, const std::shared_ptr<foundation::Dictionary>& parameters);
    static void logEventWithOrigin(const std::string& origin, const std::string& name,
                                   const std::shared_ptr<foundation::Dictionary>& parameters);
    static void setUserPropertyString(const std::string& value, const std::string& name);

    // The library's name and version as registered with Doderivo.
    static constexpr const char* kLibraryName = "DDVAnalytics";
    static constexpr const char* kLibraryVersion = "1.0.0";
};
