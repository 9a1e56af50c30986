#pragma once

#include <string>

// Doderivo's logging, routed through the SDK foundation's logger so that its lines carry
// the same format, level and queue. Callable from any thread.
enum class DDVLoggerLevel { error = 3, warning = 4, notice = 5, info = 6, debug = 7 };

inline constexpr const char* kDDVLoggerSubsystem = "com.doderivo.core";
inline constexpr const char* kDDVLoggerServiceCore = "[DoderivoCore]";
inline constexpr const char* kDDVLoggerServiceAnalytics = "[DoderivoAnalytics]";

// Writes the message verbatim (it is not a format) under the service tag and message code.
void DDVLogBasic(DDVLoggerLevel level, const std::string& service, const std::string& messageCode,
                 const std::string& message);
