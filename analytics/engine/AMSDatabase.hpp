#pragma once

#include "platform/foundation/Error.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;

// The measurement database: raw events (name, origin, parameters as JSON, timestamp) and
// user properties (name, value, time set), in SQLite. Not thread-safe: the analytics front
// end uses it only on its serial queue. The connection closes with the object.
class AMSDatabase {
public:
    // ~/Library/Application Support/Doderivo/measurement.sqlite under the current home.
    static std::filesystem::path defaultPath();

    explicit AMSDatabase(std::filesystem::path path);
    ~AMSDatabase();
    AMSDatabase(const AMSDatabase&) = delete;
    AMSDatabase& operator=(const AMSDatabase&) = delete;

    // Opens (creating the file, its directory and the tables when missing). Calling it again
    // after success does nothing.
    bool open(std::shared_ptr<foundation::Error>* error = nullptr);

    // Timestamps are milliseconds since 1970.
    bool insertRawEvent(const std::string& name, const std::string& origin, const std::string& parametersJSON,
                        std::int64_t timestampMillis, std::shared_ptr<foundation::Error>* error = nullptr);
    // Replaces any earlier value of the property.
    bool setUserAttribute(const std::string& name, const std::string& value, std::int64_t setTimestampMillis,
                          std::shared_ptr<foundation::Error>* error = nullptr);

    const std::filesystem::path& path() const { return path_; }

private:
    using Binding = std::variant<std::string, std::int64_t>;
    // Prepares, binds in order and steps one statement that returns no rows.
    bool run(const char* sql, const std::vector<Binding>& bindings, const std::string& what,
             std::shared_ptr<foundation::Error>* error);
    bool execute(const char* statement, std::shared_ptr<foundation::Error>* error);
    std::shared_ptr<foundation::Error> lastError(const std::string& what) const;

    std::filesystem::path path_;
    sqlite3* connection_ = nullptr;
};

inline constexpr const char* kAMSDatabaseErrorDomain = "com.doderivo.analytics.database";
