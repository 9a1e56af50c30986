#include "analytics/engine/AMSAnalytics.hpp"

#include "analytics/engine/AMSMonitor.hpp"
#include "analytics/engine/AMSNameValidator.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

std::mutex sharedMutex;
std::shared_ptr<AMSAnalytics> sharedEngine;

// The parameters as a JSON object; values that are neither strings nor numbers are left out.
std::string parametersJSON(const std::shared_ptr<foundation::Dictionary>& parameters) {
    nlohmann::json object = nlohmann::json::object();
    if (!parameters) return object.dump();
    for (const auto& [key, value] : parameters->entries()) {
        if (auto text = foundation::stringValue(value)) {
            object[key] = *text;
        } else if (auto number = foundation::numberValue(value)) {
            switch (number->kind()) {
                case foundation::Number::Kind::real: object[key] = number->doubleValue(); break;
                case foundation::Number::Kind::unsignedInteger: object[key] = number->unsignedValue(); break;
                default: object[key] = number->integerValue(); break;
            }
        } else {
            AMSMonitor::log(AMSMonitor::Level::warning, kAMSMonitorCodeInvalidParameterValue,
                            "Parameter value is neither a string nor a number. Parameter dropped", key);
        }
    }
    return object.dump();
}

}  // namespace

AMSAnalytics::AMSAnalytics(std::filesystem::path databasePath)
    : queue_(dispatch::createQueue("AMSAnalyticsQueue")),
      database_(databasePath.empty() ? AMSDatabase::defaultPath() : std::move(databasePath)) {}

void AMSAnalytics::start(std::filesystem::path databasePath) {
    std::lock_guard lock(sharedMutex);
    if (!sharedEngine) sharedEngine = std::make_shared<AMSAnalytics>(std::move(databasePath));
}

std::shared_ptr<AMSAnalytics> AMSAnalytics::sharedInstance() {
    std::lock_guard lock(sharedMutex);
    return sharedEngine;
}

void AMSAnalytics::resetForTesting() {
    std::lock_guard lock(sharedMutex);
    sharedEngine.reset();
}

std::int64_t AMSAnalytics::takeTimestampMillis() {
    auto now = static_cast<std::int64_t>(std::llround(foundation::Clock::wallSecondsSince1970() * 1000.0));
    std::lock_guard lock(timestampMutex_);
    // A wall clock set back must not reorder events taken later.
    lastTimestampMillis_ = std::max(lastTimestampMillis_, now);
    return lastTimestampMillis_;
}

void AMSAnalytics::logEventWithOrigin(const std::string& origin, const std::string& name,
                                      const std::shared_ptr<foundation::Dictionary>& parameters) {
    auto engine = sharedInstance();
    if (!engine) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeEngineNotStarted,
                        "Event not logged. Measurement engine not started", name);
        return;
    }
    auto timestamp = engine->takeTimestampMillis();
    // The caller may change its dictionary afterwards; the queue works on a copy.
    auto snapshot = parameters ? foundation::dictionaryValue(parameters->copy()) : nullptr;
    engine->queue_->async([weakEngine = engine->weak_from_this(), origin, name, snapshot, timestamp] {
        if (auto engine = weakEngine.lock()) engine->writeEvent(origin, name, snapshot, timestamp);
    });
}

void AMSAnalytics::setUserPropertyString(const std::string& value, const std::string& name) {
    auto engine = sharedInstance();
    if (!engine) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeEngineNotStarted,
                        "User property not set. Measurement engine not started", name);
        return;
    }
    auto timestamp = engine->takeTimestampMillis();
    engine->queue_->async([weakEngine = engine->weak_from_this(), name, value, timestamp] {
        if (auto engine = weakEngine.lock()) engine->writeUserProperty(name, value, timestamp);
    });
}

AMSDatabase* AMSAnalytics::openDatabase() {
    std::shared_ptr<foundation::Error> error;
    if (database_.open(&error)) return &database_;
    AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeDatabaseError,
                    "Measurement database unavailable", error ? error->localizedDescription() : std::string());
    return nullptr;
}

void AMSAnalytics::writeEvent(const std::string& origin, const std::string& name,
                              const std::shared_ptr<foundation::Dictionary>& parameters,
                              std::int64_t timestampMillis) {
    if (!AMSNameValidator::isValidName(name)) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeInvalidEventName,
                        "Event name is invalid. Event dropped", name);
        return;
    }
    auto* database = openDatabase();
    if (!database) return;
    std::shared_ptr<foundation::Error> error;
    if (!database->insertRawEvent(name, origin, parametersJSON(parameters), timestampMillis, &error))
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeDatabaseError, "Event not stored",
                        error ? error->localizedDescription() : name);
}

void AMSAnalytics::writeUserProperty(const std::string& name, const std::string& value,
                                     std::int64_t timestampMillis) {
    if (!AMSNameValidator::isValidName(name)) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeInvalidUserPropertyName,
                        "User property name is invalid. Property not set", name);
        return;
    }
    auto* database = openDatabase();
    if (!database) return;
    std::shared_ptr<foundation::Error> error;
    if (!database->setUserAttribute(name, value, timestampMillis, &error))
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeDatabaseError, "User property not stored",
                        error ? error->localizedDescription() : name);
}
