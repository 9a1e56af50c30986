#include "analytics/engine/AMSDatabase.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PrivateFiles.hpp"

#include <sqlite3.h>

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS raw_events ("
    " rowid INTEGER PRIMARY KEY AUTOINCREMENT,"
    " name TEXT NOT NULL,"
    " origin TEXT NOT NULL,"
    " parameters TEXT NOT NULL,"
    " timestamp INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS user_attributes ("
    " name TEXT PRIMARY KEY NOT NULL,"
    " value TEXT NOT NULL,"
    " set_timestamp INTEGER NOT NULL);";

// Finalizes the statement however the caller leaves.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

void assign(std::shared_ptr<foundation::Error>* out, std::shared_ptr<foundation::Error> error) {
    if (out) *out = std::move(error);
}

}  // namespace

std::filesystem::path AMSDatabase::defaultPath() {
    return foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library" /
           "Application Support" / "Doderivo" / "measurement.sqlite";
}

AMSDatabase::AMSDatabase(std::filesystem::path path) : path_(std::move(path)) {}

AMSDatabase::~AMSDatabase() { sqlite3_close(connection_); }

std::shared_ptr<foundation::Error> AMSDatabase::lastError(const std::string& what) const {
    int code = connection_ ? sqlite3_extended_errcode(connection_) : SQLITE_CANTOPEN;
    std::string message = connection_ ? sqlite3_errmsg(connection_) : "cannot open the database";
    return foundation::Error::withDescription(kAMSDatabaseErrorDomain, code, what + ": " + message);
}

bool AMSDatabase::execute(const char* statement, std::shared_ptr<foundation::Error>* error) {
    if (sqlite3_exec(connection_, statement, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    assign(error, lastError("cannot prepare the measurement database"));
    return false;
}

bool AMSDatabase::open(std::shared_ptr<foundation::Error>* error) {
    if (connection_) return true;
    // The user's history: the owner's alone, and never through a link planted in its place.
    std::shared_ptr<foundation::Error> fileError;
    if (!foundation::preparePrivateFile(path_, &fileError)) {
        assign(error, fileError);
        return false;
    }
    sqlite3* connection = nullptr;
    int result = sqlite3_open_v2(path_.c_str(), &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    connection_ = connection;
    if (result != SQLITE_OK || !execute(kSchema, error)) {
        if (result != SQLITE_OK) assign(error, lastError("cannot open the measurement database"));
        sqlite3_close(connection_);
        connection_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(connection_, 1000);
    return true;
}

bool AMSDatabase::run(const char* sql, const std::vector<Binding>& bindings, const std::string& what,
                      std::shared_ptr<foundation::Error>* error) {
    if (!open(error)) return false;
    Statement statement;
    if (sqlite3_prepare_v2(connection_, sql, -1, &statement.handle, nullptr) != SQLITE_OK) {
        assign(error, lastError(what));
        return false;
    }
    int index = 1;
    for (const auto& binding : bindings) {
        if (auto* text = std::get_if<std::string>(&binding))
            sqlite3_bind_text(statement.handle, index++, text->data(), static_cast<int>(text->size()),
                              SQLITE_TRANSIENT);
        else
            sqlite3_bind_int64(statement.handle, index++, std::get<std::int64_t>(binding));
    }
    if (sqlite3_step(statement.handle) != SQLITE_DONE) {
        assign(error, lastError(what));
        return false;
    }
    return true;
}

bool AMSDatabase::insertRawEvent(const std::string& name, const std::string& origin,
                                 const std::string& parametersJSON, std::int64_t timestampMillis,
                                 std::shared_ptr<foundation::Error>* error) {
    return run("INSERT INTO raw_events (name, origin, parameters, timestamp) VALUES (?, ?, ?, ?)",
               {name, origin, parametersJSON, timestampMillis}, "cannot store the event", error);
}

bool AMSDatabase::setUserAttribute(const std::string& name, const std::string& value,
                                   std::int64_t setTimestampMillis, std::shared_ptr<foundation::Error>* error) {
    return run("INSERT OR REPLACE INTO user_attributes (name, value, set_timestamp) VALUES (?, ?, ?)",
               {name, value, setTimestampMillis}, "cannot store the user property", error);
}
