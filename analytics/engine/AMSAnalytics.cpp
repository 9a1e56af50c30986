#include "analytics/engine/AMSAnalytics.hpp"

#include "analytics/engine/AMSMonitor.hpp"
#include "analytics/engine/AMSNameValidator.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/String.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

foundation::Guarded<std::shared_ptr<AMSAnalytics>> sharedEngine;

// Text that is not UTF-8 never gets here (it is left out below); were it to, it would be
// stored with replacement characters rather than thrown on the queue, where nobody could
// catch it.
std::string serialized(const nlohmann::json& object) {
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The parameters as a JSON object; values that are neither strings nor numbers, and text
// that is not UTF-8 (refused wherever text is stored), are left out.
std::string parametersJSON(const std::shared_ptr<foundation::Dictionary>& parameters) {
    nlohmann::json object = nlohmann::json::object();
    if (!parameters) return serialized(object);
    for (const auto& [key, value] : parameters->entries()) {
        auto text = foundation::stringValue(value);
        if (!foundation::isValidUTF8(key) || (text && !foundation::isValidUTF8(*text))) {
            AMSMonitor::log(AMSMonitor::Level::warning, kAMSMonitorCodeInvalidParameterValue,
                            "Parameter text is not valid UTF-8. Parameter dropped", key);
        } else if (text) {
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
    return serialized(object);
}

}  // namespace

AMSAnalytics::AMSAnalytics(std::filesystem::path databasePath)
    : queue_(dispatch::createQueue("AMSAnalyticsQueue")),
      database_(databasePath.empty() ? AMSDatabase::defaultPath() : std::move(databasePath)) {}

void AMSAnalytics::start(std::filesystem::path databasePath) {
    // The engine is forgotten between tests (queued work for it is dropped).
    static foundation::ProcessWideReset reset([] {
        std::shared_ptr<AMSAnalytics> dropped;
        std::swap(dropped, *sharedEngine.lock());
    });
    auto engine = sharedEngine.lock();
    if (*engine) return;
    *engine = std::make_shared<AMSAnalytics>(std::move(databasePath));
    reset.arm();
}

std::shared_ptr<AMSAnalytics> AMSAnalytics::sharedInstance() {
    return *sharedEngine.lock();
}

void AMSAnalytics::enqueue(const std::string& name, const char* notStartedMessage,
                           std::function<void(AMSAnalytics&, std::int64_t)> write) {
    auto engine = sharedInstance();
    if (!engine) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeEngineNotStarted, notStartedMessage, name);
        return;
    }
    // Timestamp and hand-over under one lock: calls from several threads reach the queue in
    // the order of their timestamps.
    auto lastTimestamp = engine->lastTimestampMillis_.lock();
    auto now = static_cast<std::int64_t>(std::llround(foundation::Clock::wallSecondsSince1970() * 1000.0));
    // A wall clock set back must not reorder events taken later.
    auto timestamp = *lastTimestamp = std::max(*lastTimestamp, now);
    engine->queue_->async([weakEngine = engine->weak_from_this(), write = std::move(write), timestamp] {
        if (auto engine = weakEngine.lock()) write(*engine, timestamp);
    });
}

void AMSAnalytics::logEventWithOrigin(const std::string& origin, const std::string& name,
                                      const std::shared_ptr<foundation::Dictionary>& parameters) {
    // The caller may change its dictionary afterwards; the queue works on a copy.
    auto snapshot = parameters ? foundation::dictionaryValue(parameters->copy()) : nullptr;
    enqueue(name, "Event not logged. Measurement engine not started",
            [origin, name, snapshot](AMSAnalytics& engine, std::int64_t timestamp) {
                engine.store(name, kAMSMonitorCodeInvalidEventName, "Event name is invalid. Event dropped",
                             "Event not stored", [&](AMSDatabase& database, std::shared_ptr<foundation::Error>* error) {
                                 return database.insertRawEvent(name, origin, parametersJSON(snapshot), timestamp,
                                                                error);
                             });
            });
}

void AMSAnalytics::setUserPropertyString(const std::string& value, const std::string& name) {
    enqueue(name, "User property not set. Measurement engine not started",
            [name, value](AMSAnalytics& engine, std::int64_t timestamp) {
                engine.store(name, kAMSMonitorCodeInvalidUserPropertyName,
                             "User property name is invalid. Property not set", "User property not stored",
                             [&](AMSDatabase& database, std::shared_ptr<foundation::Error>* error) {
                                 return database.setUserAttribute(name, value, timestamp, error);
                             });
            });
}

void AMSAnalytics::store(const std::string& name, long invalidNameCode, const char* invalidNameMessage,
                         const char* failureMessage,
                         const std::function<bool(AMSDatabase&, std::shared_ptr<foundation::Error>*)>& write) {
    if (!AMSNameValidator::isValidName(name)) {
        AMSMonitor::log(AMSMonitor::Level::error, invalidNameCode, invalidNameMessage, name);
        return;
    }
    std::shared_ptr<foundation::Error> error;
    if (!database_.open(&error)) {
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeDatabaseError, "Measurement database unavailable",
                        error ? error->localizedDescription() : name);
        return;
    }
    if (!write(database_, &error))
        AMSMonitor::log(AMSMonitor::Level::error, kAMSMonitorCodeDatabaseError, failureMessage,
                        error ? error->localizedDescription() : name);
}
