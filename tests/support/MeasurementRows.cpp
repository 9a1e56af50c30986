#include "tests/support/MeasurementRows.hpp"

#include <sqlite3.h>

#include <functional>

namespace testsupport {

namespace {

void eachRow(const std::filesystem::path& database, const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    if (!std::filesystem::exists(database)) return;
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(database.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) == SQLITE_OK)
            while (sqlite3_step(statement) == SQLITE_ROW) row(statement);
        sqlite3_finalize(statement);
    }
    sqlite3_close(connection);
}

std::string text(sqlite3_stmt* statement, int column) {
    auto* value = sqlite3_column_text(statement, column);
    return value ? reinterpret_cast<const char*>(value) : "";
}

}  // namespace

std::vector<StoredEvent> storedEvents(const std::filesystem::path& database) {
    std::vector<StoredEvent> events;
    eachRow(database, "SELECT name, origin, parameters, timestamp FROM raw_events ORDER BY rowid",
            [&](sqlite3_stmt* statement) {
                events.push_back({text(statement, 0), text(statement, 1), text(statement, 2),
                                  sqlite3_column_int64(statement, 3)});
            });
    return events;
}

std::vector<StoredUserProperty> storedUserProperties(const std::filesystem::path& database) {
    std::vector<StoredUserProperty> properties;
    eachRow(database, "SELECT name, value, set_timestamp FROM user_attributes ORDER BY name",
            [&](sqlite3_stmt* statement) {
                properties.push_back({text(statement, 0), text(statement, 1), sqlite3_column_int64(statement, 2)});
            });
    return properties;
}

}  // namespace testsupport
