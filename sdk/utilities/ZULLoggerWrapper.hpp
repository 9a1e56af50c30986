#pragma once

#include "sdk/utilities/ZULLogger.hpp"

#include <optional>
#include <string>

// Logging for callers that cannot pass variable arguments. Class methods only; callable
// from any thread; lines are never forced.
class ZULLoggerWrapper {
public:
    ZULLoggerWrapper() = delete;

    static void logWithLevel(ZULLoggerLevel level, std::string_view subsystem, std::string_view category,
                             std::string_view messageCode, std::string_view message,
                             const std::optional<ZULLogArguments>& arguments);
    // Logs under the SDK's own subsystem with the service as category.
    static void logWithLevel(ZULLoggerLevel level, std::string_view withService, std::string_view withCode,
                             std::string_view withMessage, const std::optional<ZULLogArguments>& withArgs);
};
