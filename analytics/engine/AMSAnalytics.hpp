#pragma once

#include "analytics/engine/AMSDatabase.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// The measurement front end. Calls come from any thread (the application's from the main
// thread) and return at once: the timestamp is taken in call order on the caller's thread,
// then validation and the write to the measurement database happen on the serial queue
// "AMSAnalyticsQueue", in call order. One shared instance, made by start() and kept for the
// process; queued work holds it weakly.
class AMSAnalytics : public std::enable_shared_from_this<AMSAnalytics> {
public:
    // Starts the engine over the database at the path (AMSDatabase::defaultPath() when
    // empty). A second call keeps the running engine.
    static void start(std::filesystem::path databasePath = {});
    // Nil before start().
    static std::shared_ptr<AMSAnalytics> sharedInstance();

    // The parameters map string keys to string or number values; others are dropped with a
    // monitor line. Before start() the call is dropped with a monitor line.
    static void logEventWithOrigin(const std::string& origin, const std::string& name,
                                   const std::shared_ptr<foundation::Dictionary>& parameters);
    static void setUserPropertyString(const std::string& value, const std::string& name);

    explicit AMSAnalytics(std::filesystem::path databasePath);

private:
    // Takes the timestamp now and runs the write on the queue; before start() the call is
    // dropped with a monitor line.
    static void enqueue(const std::string& name, const char* notStartedMessage,
                        std::function<void(AMSAnalytics&, std::int64_t)> write);
    // On the queue: validates the name, then writes through the database, reporting failures.
    void store(const std::string& name, long invalidNameCode, const char* invalidNameMessage,
               const char* failureMessage,
               const std::function<bool(AMSDatabase&, std::shared_ptr<foundation::Error>*)>& write);

    dispatch::QueuePtr queue_;
    // The last timestamp taken; its lock is held from taking a timestamp until its work is
    // queued.
    foundation::Guarded<std::int64_t> lastTimestampMillis_{0};
    // Touched only on queue_.
    AMSDatabase database_;
};
