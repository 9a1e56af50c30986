#include "sdk/doderivo/DDVLogger.hpp"

#include "sdk/utilities/ZULLogger.hpp"

void DDVLogBasic(DDVLoggerLevel level, const std::string& service, const std::string& messageCode,
                 const std::string& message) {
    ZULOSLogBasic(static_cast<ZULLoggerLevel>(level), kDDVLoggerSubsystem, service, false, messageCode, message,
                  std::nullopt);
}
