#include "analytics/engine/AMSMonitor.hpp"

#include "platform/foundation/Format.hpp"
#include "sdk/doderivo/DDVLogger.hpp"

void AMSMonitor::log(Level level, long messageCode, const std::string& message,
                     const std::optional<std::string>& context) {
    std::string text = context ? message + ": " + *context : message;
    DDVLogBasic(static_cast<DDVLoggerLevel>(level), kDDVLoggerServiceAnalytics, messageCodeString(messageCode), text);
}

std::string AMSMonitor::messageCodeString(long messageCode) { return foundation::format("I-ACS%06ld", messageCode); }
