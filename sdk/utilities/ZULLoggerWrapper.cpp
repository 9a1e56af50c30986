#include "sdk/utilities/ZULLoggerWrapper.hpp"

void ZULLoggerWrapper::logWithLevel(ZULLoggerLevel level, std::string_view subsystem, std::string_view category,
                                    std::string_view messageCode, std::string_view message,
                                    const std::optional<ZULLogArguments>& arguments) {
    ZULOSLogBasic(level, subsystem, category, false, messageCode, message, arguments);
}

void ZULLoggerWrapper::logWithLevel(ZULLoggerLevel level, std::string_view withService,
                                    std::string_view withCode, std::string_view withMessage,
                                    const std::optional<ZULLogArguments>& withArgs) {
    ZULOSLogBasic(level, kZULLoggerSubsystem, withService, false, withCode, withMessage, withArgs);
}
