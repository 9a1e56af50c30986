#pragma once

#include "analytics/engine/AMSDatabase.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Dispatch.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
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

    // Test support: forgets the shared instance (queued work for it is dropped).
    static void resetForTesting();

    explicit AMSAnalytics(std::filesystem::path databasePath);

private:
    std::int64_t takeTimestampMillis();
    void writeEvent(const std::string& origin, const std::string& name,
                    const std::shared_ptr<foundation::Dictionary>& parameters, std::int64_t timestampMillis);
    void writeUserProperty(const std::string& name, const std::string& value, std::int64_t timestampMillis);
    AMSDatabase* openDatabase();

    dispatch::QueuePtr queue_;
    std::mutex timestampMutex_;
    std::int64_t lastTimestampMillis_ = 0;
    // Touched only on queue_.
    AMSDatabase database_;
};
