#pragma once

#include <optional>
#include <string>

// The measurement SDK's log: each line has a level and a numeric message code, printed as
// "I-ACS%06ld", and optionally a context (an event or property name) after the message.
// Callable from any thread; lines keep call order.
class AMSMonitor {
public:
    enum class Level { error = 3, warning = 4, notice = 5, info = 6, debug = 7 };

    static void log(Level level, long messageCode, const std::string& message,
                    const std::optional<std::string>& context = std::nullopt);
    // "I-ACS025018" for 25018.
    static std::string messageCodeString(long messageCode);
};

// The message codes the engine writes.
enum AMSMonitorMessageCode : long {
    kAMSMonitorCodeEventNotLoggedNotConfigured = 25018,
    kAMSMonitorCodeUserPropertyNotSetNotConfigured = 25019,
    kAMSMonitorCodeInvalidEventName = 25020,
    kAMSMonitorCodeInvalidUserPropertyName = 25021,
    kAMSMonitorCodeInvalidParameterValue = 25022,
    kAMSMonitorCodeDatabaseError = 25023,
    kAMSMonitorCodeEngineNotStarted = 25024,
};
