#pragma once

#include "platform/foundation/Format.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The SDK's logging functions: one line per message to the unified log, as
// "<version> - <category>[<message code>] <text>". Callable from any thread. Formatting
// happens on the caller's thread; lines reach the log later, in call order, on the serial
// queue "ZULLoggingClientQueue". The level, the forced-debug flag and the version string are
// process-wide and live until the process ends.

using ZULLoggerLevel = std::int64_t;

inline constexpr ZULLoggerLevel ZULLoggerLevelError = 3;
inline constexpr ZULLoggerLevel ZULLoggerLevelWarning = 4;
inline constexpr ZULLoggerLevel ZULLoggerLevelNotice = 5;
inline constexpr ZULLoggerLevel ZULLoggerLevelInfo = 6;
inline constexpr ZULLoggerLevel ZULLoggerLevelDebug = 7;

inline constexpr const char* kZULLoggerSubsystem = "com.zadizu.utilities.logger";

// The arguments of a message used as a format.
using ZULLogArguments = std::vector<foundation::FormatArgument>;

void ZULLoggerInitialize();
// Accepts 3 to 7; in an App-Store build a level of 5 or more is ignored. Any other value
// writes a forced error line and changes nothing.
void ZULSetLoggerLevel(ZULLoggerLevel level);
ZULLoggerLevel ZULGetLoggerLevel();
// Outside an App-Store build: from now on every level is written.
void ZULLoggerForceDebug();
bool ZULIsLoggableLevel(ZULLoggerLevel level);
void ZULLoggerRegisterVersion(std::string version);

// The message is used as a format only when arguments are given; otherwise it is written
// verbatim. A line that will not be written costs a comparison: nothing is formatted.
void ZULOSLogBasic(ZULLoggerLevel level, std::string_view subsystem, std::string_view category, bool forceLog,
                   std::string_view messageCode, std::string_view message,
                   const std::optional<ZULLogArguments>& arguments);

// Whether a line of this level would be written now.
bool ZULLoggerWillWrite(ZULLoggerLevel level, bool forceLog);

template <class... Arguments>
void ZULLogWithLevel(ZULLoggerLevel level, std::string_view subsystem, std::string_view category, bool forceLog,
                     std::string_view messageCode, std::string_view format, const Arguments&... arguments) {
    if (!ZULLoggerWillWrite(level, forceLog)) return;
    ZULOSLogBasic(level, subsystem, category, forceLog, messageCode, format,
                  ZULLogArguments{foundation::FormatArgument(arguments)...});
}

// Variadic forms: the message is always a format. There is none for the info level.
template <class... Arguments>
void ZULLogError(std::string_view subsystem, std::string_view category, bool forceLog, std::string_view messageCode,
                 std::string_view format, const Arguments&... arguments) {
    ZULLogWithLevel(ZULLoggerLevelError, subsystem, category, forceLog, messageCode, format, arguments...);
}

template <class... Arguments>
void ZULLogWarning(std::string_view subsystem, std::string_view category, bool forceLog, std::string_view messageCode,
                   std::string_view format, const Arguments&... arguments) {
    ZULLogWithLevel(ZULLoggerLevelWarning, subsystem, category, forceLog, messageCode, format, arguments...);
}

template <class... Arguments>
void ZULLogNotice(std::string_view subsystem, std::string_view category, bool forceLog, std::string_view messageCode,
                  std::string_view format, const Arguments&... arguments) {
    ZULLogWithLevel(ZULLoggerLevelNotice, subsystem, category, forceLog, messageCode, format, arguments...);
}

template <class... Arguments>
void ZULLogDebug(std::string_view subsystem, std::string_view category, bool forceLog, std::string_view messageCode,
                 std::string_view format, const Arguments&... arguments) {
    ZULLogWithLevel(ZULLoggerLevelDebug, subsystem, category, forceLog, messageCode, format, arguments...);
}

// Test support: waits until every line submitted so far has reached the log.
void ZULLoggerFlushForTesting();
